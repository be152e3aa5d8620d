#include "cli/json_reader.h"

#include <charconv>
#include <cmath>

#include "cli/cli.h"
#include "core/utf8.h"

namespace sonavel::cli {

const JsonValue* JsonValue::Find(std::string_view name) const {
  for (const auto& [key, value] : members)
    if (key == name) return &value;
  return nullptr;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  JsonValue Document() {
    if (s_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    SkipBlanks();
    JsonValue v = Value(0);
    SkipBlanks();
    if (pos_ != s_.size()) Fail("unexpected text after the JSON value");
    return v;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    size_t line = 1, column = 1;
    for (size_t i = 0; i < pos_ && i < s_.size(); ++i) {
      if (s_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    throw UsageError("JSON line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
                     what);
  }

  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  void SkipBlanks() {
    while (!AtEnd() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
  }

  void Expect(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) Fail("unexpected character");
    pos_ += word.size();
  }

  JsonValue Value(int depth) {
    if (depth >= JsonMaxDepth) Fail("nested too deeply");
    JsonValue v;
    switch (Peek()) {
      case '{':
        return Object(depth);
      case '[':
        return Array(depth);
      case '"':
        v.kind = JsonValue::Kind::String;
        v.text = String();
        return v;
      case 't':
        Expect("true");
        v.kind = JsonValue::Kind::Boolean;
        v.boolean = true;
        return v;
      case 'f':
        Expect("false");
        v.kind = JsonValue::Kind::Boolean;
        return v;
      case 'n':
        Expect("null");
        return v;
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return Number();
        Fail(AtEnd() ? "the text ends where a value belongs" : "unexpected character");
    }
  }

  JsonValue Object(int depth) {
    JsonValue v;
    v.kind = JsonValue::Kind::Object;
    ++pos_;
    SkipBlanks();
    if (Peek() == '}') {
      ++pos_;
      return v;
    }
    while (true) {
      SkipBlanks();
      if (Peek() != '"') Fail("a member name belongs here");
      std::string name = String();
      if (v.Find(name) != nullptr) Fail("member \"" + name + "\" given twice");
      SkipBlanks();
      if (Peek() != ':') Fail("\":\" belongs here");
      ++pos_;
      SkipBlanks();
      JsonValue member = Value(depth + 1);
      v.members.emplace_back(std::move(name), std::move(member));
      SkipBlanks();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == '}') {
        ++pos_;
        return v;
      }
      Fail("\",\" or \"}\" belongs here");
    }
  }

  JsonValue Array(int depth) {
    JsonValue v;
    v.kind = JsonValue::Kind::Array;
    ++pos_;
    SkipBlanks();
    if (Peek() == ']') {
      ++pos_;
      return v;
    }
    while (true) {
      SkipBlanks();
      v.items.push_back(Value(depth + 1));
      SkipBlanks();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == ']') {
        ++pos_;
        return v;
      }
      Fail("\",\" or \"]\" belongs here");
    }
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  uint32_t Hex4() {
    if (s_.size() - pos_ < 4) Fail("\\u needs four hex digits");
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) {
      const int d = Hex(s_[pos_ + i]);
      if (d < 0) Fail("\\u needs four hex digits");
      u = u * 16 + static_cast<uint32_t>(d);
    }
    pos_ += 4;
    return u;
  }

  // One UTF-8 sequence copied as it stands; a malformed one is a fault.
  void CopyUtf8(std::string& out) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(s_, pos_, cp);
    if (len == 0) Fail("malformed UTF-8");
    out.append(s_.substr(pos_, len));
    pos_ += len;
  }

  std::string String() {
    ++pos_;  // the opening quote
    std::string out;
    while (true) {
      if (AtEnd()) Fail("the text ends inside a string");
      const auto c = static_cast<unsigned char>(s_[pos_]);
      if (c == '"') {
        ++pos_;
        return out;
      }
      if (c < 0x20) Fail("control character inside a string");
      if (c >= 0x80) {
        CopyUtf8(out);
        continue;
      }
      if (c != '\\') {
        out.push_back(static_cast<char>(c));
        ++pos_;
        continue;
      }
      ++pos_;
      if (AtEnd()) Fail("the text ends inside a string");
      const char e = s_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          uint32_t u = Hex4();
          if (u >= 0xDC00 && u <= 0xDFFF) Fail("lone low surrogate");
          if (u >= 0xD800 && u <= 0xDBFF) {
            if (s_.substr(pos_, 2) != "\\u") Fail("lone high surrogate");
            pos_ += 2;
            const uint32_t lo = Hex4();
            if (lo < 0xDC00 || lo > 0xDFFF) Fail("lone high surrogate");
            u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
          }
          AppendUtf8(out, u);
          break;
        }
        default:
          Fail("unknown escape");
      }
    }
  }

  JsonValue Number() {
    const size_t start = pos_;
    bool integral = true;
    if (Peek() == '-') ++pos_;
    if (Peek() == '0') {
      ++pos_;
    } else if (Peek() >= '1' && Peek() <= '9') {
      while (Peek() >= '0' && Peek() <= '9') ++pos_;
    } else {
      Fail("a digit belongs here");
    }
    if (Peek() == '.') {
      integral = false;
      ++pos_;
      if (!(Peek() >= '0' && Peek() <= '9')) Fail("a digit belongs here");
      while (Peek() >= '0' && Peek() <= '9') ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      integral = false;
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!(Peek() >= '0' && Peek() <= '9')) Fail("a digit belongs here");
      while (Peek() >= '0' && Peek() <= '9') ++pos_;
    }
    JsonValue v;
    v.kind = JsonValue::Kind::Number;
    v.text = std::string(s_.substr(start, pos_ - start));
    const char* b = v.text.data();
    const char* e = b + v.text.size();
    const auto [ptr, ec] = std::from_chars(b, e, v.number);
    if (ec == std::errc::result_out_of_range) {
      pos_ = start;
      Fail("number out of range");
    }
    (void)ptr;
    if (integral) {
      const auto [p2, ec2] = std::from_chars(b, e, v.integer);
      v.integral = ec2 == std::errc() && p2 == e;
    }
    return v;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace

JsonValue ParseJson(std::string_view text) { return Parser(text).Document(); }

}  // namespace sonavel::cli
