// Every text the program shows must exist in Shift-JIS (code page 932): the texts and
// captions of the dialog templates and every non-ASCII string literal of the sources.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/DialogTemplate.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// True when the whole UTF-8 text converts to code page 932 without loss.
bool encodableInCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string in = utf8;
  std::vector<char> out(in.size() * 2 + 16);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0;
  if (ok) {
    // Flush any pending shift state.
    ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  }
  iconv_close(cd);
  // glibc counts irreversible conversions in rc; any such substitution is a loss too.
  return ok && rc == 0;
}

bool hasNonAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return true;
  return false;
}

// The contents of the string literals of a C++ source, escapes left as written.
// Comments, character literals and numbers (with their digit separators) are skipped;
// raw strings are read to their delimiter.
std::vector<std::string> stringLiterals(const std::string& src) {
  auto isIdent = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  std::vector<std::string> out;
  std::size_t i = 0;
  const std::size_t n = src.size();
  while (i < n) {
    const char c = src[i];
    if (c == '/' && i + 1 < n && src[i + 1] == '/') {
      i = src.find('\n', i);
      if (i == std::string::npos) break;
    } else if (c == '/' && i + 1 < n && src[i + 1] == '*') {
      i = src.find("*/", i + 2);
      if (i == std::string::npos) break;
      i += 2;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      // A number such as 1'000'000 or 1.5e-3.
      std::size_t j = i + 1;
      while (j < n) {
        if (isIdent(src[j]) || src[j] == '.' || (src[j] == '\'' && j + 1 < n && isIdent(src[j + 1]))) {
          ++j;
        } else if ((src[j] == '+' || src[j] == '-') && std::strchr("eEpP", src[j - 1])) {
          ++j;
        } else {
          break;
        }
      }
      i = j;
    } else if (isIdent(c)) {
      std::size_t j = i;
      while (j < n && isIdent(src[j])) ++j;
      const std::string word = src.substr(i, j - i);
      const bool raw = j < n && src[j] == '"' && !word.empty() && word.back() == 'R' &&
                       (word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR");
      if (!raw) {
        i = j;  // an identifier, or the prefix of the literal that follows
        continue;
      }
      const std::size_t open = src.find('(', j + 1);
      if (open == std::string::npos) break;
      const std::string close = ")" + src.substr(j + 1, open - j - 1) + "\"";
      const std::size_t end = src.find(close, open + 1);
      if (end == std::string::npos) break;
      out.push_back(src.substr(open + 1, end - open - 1));
      i = end + close.size();
    } else if (c == '"' || c == '\'') {
      std::string text;
      std::size_t j = i + 1;
      while (j < n && src[j] != c && src[j] != '\n') {
        if (src[j] == '\\' && j + 1 < n) text += src[j++];
        text += src[j++];
      }
      if (c == '"') out.push_back(text);
      i = j + 1;
    } else {
      ++i;
    }
  }
  return out;
}

TEST(ShiftJis, TheCheckRejectsCharactersOutsideCodePage932) {
  struct Case {
    const char* text;
    bool encodable;
  };
  const Case cases[] = {
      {"ASCII only", true},
      {"ﾚﾃﾞｨ", true},                          // half-width katakana
      {"ミ　　ル　　テ　　ナ", true},          // full-width spaces
      {"①Ramp  ②Shepp-Logan ⇒ ３０゜", true},  // NEC special characters and symbols
      {"€", false},
      {"😀", false},
      {"価格 €5", false},
      {"é", false},
      {"한국어", false},
  };
  for (const auto& c : cases) EXPECT_EQ(encodableInCp932(c.text), c.encodable) << c.text;
}

TEST(ShiftJis, LiteralScannerFindsStringsOnly) {
  const std::string src =
      "// a comment with \"コメント\" in it\n"
      "/* block \"ブロック\" */\n"
      "char q = '\"'; char a = '\\'';\n"
      "int big = 1'000'000;\n"
      "auto s = \"一\\\"二\";\n"
      "auto r = R\"x(生の\"文字列\")x\";\n"
      "auto t = u8\"三\"; double e = 1.5e-3; auto w = L\"四\";\n";
  const std::vector<std::string> expected = {"一\\\"二", "生の\"文字列\"", "三", "四"};
  EXPECT_EQ(stringLiterals(src), expected);
}

TEST(ShiftJis, TemplateTextsAndCaptionsAreEncodable) {
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(LUMO_SOURCE_DIR "/res/dialogs")) {
    if (entry.path().extension() != ".dlg") continue;
    const DialogTemplate t = parseTemplate(readFile(entry.path()));
    EXPECT_TRUE(encodableInCp932(t.caption)) << entry.path() << ": " << t.caption;
    EXPECT_TRUE(encodableInCp932(t.fontFace)) << entry.path() << ": " << t.fontFace;
    for (const auto& c : t.controls) {
      EXPECT_TRUE(encodableInCp932(c.text)) << entry.path() << " control " << c.id << ": " << c.text;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(ShiftJis, NonAsciiStringLiteralsOfTheSourcesAreEncodable) {
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(LUMO_SOURCE_DIR "/src")) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    for (const auto& literal : stringLiterals(readFile(entry.path()))) {
      if (!hasNonAscii(literal)) continue;
      EXPECT_TRUE(encodableInCp932(literal)) << entry.path() << ": \"" << literal << "\"";
      ++checked;
    }
  }
  // The screens' captions and explanations are Japanese literals.
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace lumo
