// How a script becomes commands: separators, comments, quotes, the text of `type`, and
// the faults found before anything runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ScenarioRunner.h"

namespace {

using Words = std::vector<std::string>;

struct Parsed {
  const char* script;
  std::vector<Words> commands;  // verb first, then the arguments
};

std::vector<Words> wordsOf(const std::string& script) {
  std::vector<Words> out;
  for (const lumo::ScriptCommand& c : lumo::parseScript(script)) {
    Words w{c.verb};
    w.insert(w.end(), c.args.begin(), c.args.end());
    out.push_back(w);
  }
  return out;
}

}  // namespace

TEST(ScriptParsing, WordsQuotesCommentsAndTypedTexts) {
  const Parsed cases[] = {
      {"open CDialog15; press 1020\nwhere", {{"open", "CDialog15"}, {"press", "1020"}, {"where"}}},
      {"  ;; \n\t\n", {}},
      {"snap my picture.png", {{"snap", "my", "picture.png"}}},  // two words: refused when run
      {"snap \"my picture.png\"", {{"snap", "my picture.png"}}},
      {"snap \"a;b\"; where", {{"snap", "a;b"}, {"where"}}},
      {"snap dir/\"a b\".png", {{"snap", "dir/a b.png"}}},
      {"snap \"say \\\"hi\\\" \\\\ bye\"", {{"snap", "say \"hi\" \\ bye"}}},
      {"snap \"\"", {{"snap", ""}}},
      {"snap C:\\pics\\a.png", {{"snap", "C:\\pics\\a.png"}}},  // backslashes outside quotes stay
      {"# a comment; press 1020\nwhere", {{"where"}}},           // a comment runs to the line's end
      {"where # not a comment", {{"where", "#", "not", "a", "comment"}}},
      // type ID TEXT: the rest of the line after one blank, quoted parts unquoted.
      {"type 1009 0.25", {{"type", "1009", "0.25"}}},
      {"type 1009 a b  c", {{"type", "1009", "a b  c"}}},
      {"type 1009  5", {{"type", "1009", " 5"}}},
      {"type 1009", {{"type", "1009", ""}}},
      {"type 1009 \"\"", {{"type", "1009", ""}}},
      {"type 1009 \"a;b\"; where", {{"type", "1009", "a;b"}, {"where"}}},
      {"type 1009 say \"hi there\" now", {{"type", "1009", "say hi there now"}}},
      {"type", {{"type"}}},
  };
  for (const Parsed& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(wordsOf(c.script), c.commands);
  }
}

TEST(ScriptParsing, FaultsAreFoundBeforeAnythingRuns) {
  struct Fault {
    std::string script;
    const char* named;
  } cases[] = {
      {std::string("press 1020\0junk", 15), "NUL character on line 1"},
      {std::string("where\nwhere\npress 1020\0", 23), "NUL character on line 3"},
      {"snap \"my picture.png", "quote is left open in 'snap \"my picture.png'"},
      {"snap \"a\nb\"", "quote is left open"},  // a quote closes on its own line
      {std::string(lumo::kMaxScriptBytes + 1, ' '), "longer than 4 MB"},
  };
  for (const Fault& c : cases) {
    SCOPED_TRACE(c.named);
    try {
      lumo::parseScript(c.script);
      ADD_FAILURE() << "accepted";
    } catch (const lumo::ScriptError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
    }
  }
}

TEST(ScriptParsing, MessagesShowScriptTextShortAndPrintable) {
  EXPECT_EQ(lumo::shown("where"), "where");
  EXPECT_EQ(lumo::shown(std::string(20 << 20, 'x')), std::string(60, 'x') + "...");
  EXPECT_EQ(lumo::shown("a\tb\x01"), "a\\x09b\\x01");
  // Cut short, a text never ends inside a character: 30 two-byte-or-more letters.
  std::string japanese;
  for (int i = 0; i < 30; ++i) japanese += "画";  // three bytes each
  const std::string s = lumo::shown(japanese);
  EXPECT_EQ(s, std::string(japanese, 0, 60) + "...");
}

TEST(ScriptParsing, EachCommandTakesExactlyItsArguments) {
  const auto commands = lumo::parseScript("press 1020 extra; press; press 1020");
  ASSERT_EQ(commands.size(), 3u);
  try {
    lumo::expectArgs(commands[0], 1, "press ID");
    ADD_FAILURE();
  } catch (const lumo::ScriptError& e) {
    EXPECT_STREQ(e.what(), "extra words in 'press 1020 extra' (write: press ID)");
  }
  try {
    lumo::expectArgs(commands[1], 1, "press ID");
    ADD_FAILURE();
  } catch (const lumo::ScriptError& e) {
    EXPECT_STREQ(e.what(), "too few arguments in 'press' (write: press ID)");
  }
  EXPECT_NO_THROW(lumo::expectArgs(commands[2], 1, "press ID"));
}
