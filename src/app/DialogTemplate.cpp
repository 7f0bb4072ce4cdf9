#include "app/DialogTemplate.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace lumo {

namespace {

const std::set<std::string> kFlags = {"left", "leftnowrap", "center", "right", "vcenter", "sunken",
                                      "black", "gray", "border", "autohscroll", "multiline",
                                      "readonly", "noprefix", "disabled", "notab", "tab", "group"};

ControlType typeOf(const std::string& word, int line) {
  static const std::pair<const char*, ControlType> kinds[] = {
      {"button", ControlType::Button}, {"defbutton", ControlType::DefButton},
      {"edit", ControlType::Edit},     {"static", ControlType::Static},
      {"frame", ControlType::Frame},   {"group", ControlType::Group},
      {"radio", ControlType::Radio},   {"check", ControlType::Check},
      {"bitmap", ControlType::Bitmap}, {"icon", ControlType::Icon}};
  for (const auto& [name, type] : kinds)
    if (word == name) return type;
  throw TemplateError("line " + std::to_string(line) + ": unknown control kind '" + word + "'");
}

void appendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Splits a statement into words; a quoted string is one word, kept with a leading '"'.
std::vector<std::string> words(const std::string& line, int lineNo) {
  std::vector<std::string> out;
  std::size_t i = 0;
  auto fail = [&](const std::string& what) {
    throw TemplateError("line " + std::to_string(lineNo) + ": " + what);
  };
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      std::string text = "\"";
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          text += c;
          continue;
        }
        if (i >= line.size()) fail("dangling escape");
        char e = line[i++];
        if (e == '"' || e == '\\') {
          text += e;
        } else if (e == 'n') {
          text += '\n';
        } else if (e == 'u' && i < line.size() && line[i] == '{') {
          const std::size_t close = line.find('}', i);
          if (close == std::string::npos) fail("unclosed \\u{");
          const unsigned cp = static_cast<unsigned>(std::strtoul(line.substr(i + 1, close - i - 1).c_str(), nullptr, 16));
          i = close + 1;
          int count = 1;
          if (i < line.size() && line[i] == '*') {
            std::size_t j = i + 1;
            while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]))) ++j;
            count = std::atoi(line.substr(i + 1, j - i - 1).c_str());
            i = j;
          }
          for (int k = 0; k < count; ++k) appendUtf8(text, cp);
        } else {
          fail(std::string("unknown escape \\") + e);
        }
      }
      if (!closed) fail("unclosed text");
      out.push_back(text);
      continue;
    }
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

int toInt(const std::string& w, int lineNo) {
  char* end = nullptr;
  const long v = std::strtol(w.c_str(), &end, 10);
  if (w.empty() || *end != '\0') throw TemplateError("line " + std::to_string(lineNo) + ": not a number: " + w);
  return static_cast<int>(v);
}

bool isText(const std::string& w) { return !w.empty() && w[0] == '"'; }

}  // namespace

const ControlTemplate* DialogTemplate::control(int cid) const {
  for (const auto& c : controls)
    if (c.id == cid && cid != -1) return &c;
  return nullptr;
}

DialogTemplate parseTemplate(const std::string& utf8) {
  DialogTemplate t;
  std::istringstream in(utf8);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    auto w = words(line, lineNo);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string& key = w[0];
    auto need = [&](std::size_t n) {
      if (w.size() < n) throw TemplateError("line " + std::to_string(lineNo) + ": too few words");
    };
    if (key == "dialog") {
      need(2);
      t.id = toInt(w[1], lineNo);
    } else if (key == "caption") {
      need(2);
      t.caption = w[1].substr(1);
    } else if (key == "size") {
      need(3);
      t.size = {0, 0, toInt(w[1], lineNo), toInt(w[2], lineNo)};
    } else if (key == "font") {
      need(3);
      t.fontPoints = toInt(w[1], lineNo);
      t.fontFace = w[2].substr(1);
    } else if (key == "style") {
      for (std::size_t k = 1; k < w.size(); ++k) t.style.insert(w[k]);
    } else if (key == "control") {
      need(7);
      ControlTemplate c;
      c.id = toInt(w[1], lineNo);
      c.type = typeOf(w[2], lineNo);
      c.rect = {toInt(w[3], lineNo), toInt(w[4], lineNo), toInt(w[5], lineNo), toInt(w[6], lineNo)};
      for (std::size_t k = 7; k < w.size(); ++k) {
        if (isText(w[k])) {
          c.text = w[k].substr(1);
        } else if (w[k].rfind("image=", 0) == 0) {
          c.image = toInt(w[k].substr(6), lineNo);
        } else if (kFlags.count(w[k])) {
          c.flags.insert(w[k]);
        } else {
          throw TemplateError("line " + std::to_string(lineNo) + ": unknown flag '" + w[k] + "'");
        }
      }
      t.controls.push_back(std::move(c));
    } else {
      throw TemplateError("line " + std::to_string(lineNo) + ": unknown statement '" + key + "'");
    }
  }
  if (t.id == 0) throw TemplateError("no dialog id");
  return t;
}

int cellHeightFor(int fontPoints) { return mulDiv(fontPoints, 96, 72); }

BaseUnits baseUnitsFor(int fontPoints) {
  switch (fontPoints) {
    case 9: return {7, 12};
    case 10: return {7, 13};
    case 12: return {8, 16};
    default: {
      const int h = std::max(1, cellHeightFor(fontPoints));
      return {std::max(1, mulDiv(7, h, 12)), h};
    }
  }
}

int mulDiv(int value, int numerator, int denominator) {
  const long long p = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  // Rounded half away from zero.
  return static_cast<int>(p >= 0 ? (p + half) / denominator : -((-p + half) / denominator));
}

}  // namespace lumo
