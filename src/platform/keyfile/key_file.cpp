#include "platform/keyfile/key_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/utf8.h"
#include "files/atomic_file.h"

namespace sonavel {

namespace {

// ---------------------------------------------------------------------------------------------
// Text encodings.

// UTF-16LE code units to UTF-8, stopping at `stopAtNul`; a lone surrogate becomes "?" and an
// odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes, bool stopAtNul) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                 (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  };
  for (size_t k = 0; k < units; ++k) {
    const char16_t u = unit(k);
    if (stopAtNul && u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char16_t lo = unit(k + 1);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (lo - 0xDC00));
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF)
      out.push_back('?');
    else
      AppendUtf8(out, u);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  auto put = [&](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  size_t i = 0;
  while (i < s.size()) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) {
      put('?');
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Small text helpers.

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Registry names compare without regard to case; only ASCII letters fold, other characters
// compare as they are.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldChar(c);
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (FoldChar(s[i]) != prefix[i]) return false;
  return true;
}

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// Reads a quoted text at s[0] == '"'; `end` receives the index after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view s, size_t& end) {
  std::string out;
  size_t i = 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      end = i + 1;
      return out;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out.push_back(s[i + 1]);
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  return std::nullopt;
}

// "hex(N):" data, as comma-separated bytes.
std::optional<std::string> ReadHexBytes(std::string_view s) {
  std::string out;
  s = Trim(s);
  if (s.empty()) return out;
  while (true) {
    const size_t comma = s.find(',');
    const std::string_view item = Trim(s.substr(0, comma));
    if (item.empty() || item.size() > 2) return std::nullopt;
    int v = 0;
    for (char c : item) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      v = v * 16 + d;
    }
    out.push_back(static_cast<char>(v));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return out;
}

std::string HexList(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out.push_back(',');
    out += buf;
  }
  return out;
}

struct ParsedValue {
  bool deleted = false;
  RegistryValue value;
};

// The data after "name"=; anything malformed is a value of type Other, so that a read with a
// type check fails at it rather than taking a wrong value.
ParsedValue ParseData(std::string_view data, bool regedit4) {
  ParsedValue p;
  data = Trim(data);
  if (data == "-") {
    p.deleted = true;
    return p;
  }
  if (!data.empty() && data.front() == '"') {
    size_t end = 0;
    auto text = ReadQuoted(data, end);
    if (text && Trim(data.substr(end)).empty()) {
      p.value.Type = RegistryValueType::String;
      p.value.Text = std::move(*text);
    }
    return p;
  }
  if (StartsWithFolded(data, "dword:")) {
    const std::string_view digits = Trim(data.substr(6));
    if (digits.empty() || digits.size() > 8) return p;
    uint32_t v = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return p;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    p.value.Type = RegistryValueType::Dword;
    p.value.Number = v;
    return p;
  }
  if (StartsWithFolded(data, "hex")) {
    std::string_view rest = data.substr(3);
    uint32_t type = 3;  // REG_BINARY
    if (!rest.empty() && rest.front() == '(') {
      const size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) return p;
      type = 0;
      for (char c : rest.substr(1, close - 1)) {
        const int d = HexDigit(c);
        if (d < 0) return p;
        type = type * 16 + static_cast<uint32_t>(d);
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') return p;
    auto bytes = ReadHexBytes(rest.substr(1));
    if (!bytes) return p;
    if (type == 1 || type == 2) {
      p.value.Type = type == 1 ? RegistryValueType::String : RegistryValueType::ExpandString;
      if (regedit4) {
        const size_t nul = bytes->find('\0');
        p.value.Text = Cp1252ToUtf8(std::string_view(*bytes).substr(0, nul));
      } else {
        p.value.Text = Utf16LeToUtf8(*bytes, true);
      }
    } else if (type == 4 && bytes->size() == 4) {
      p.value.Type = RegistryValueType::Dword;
      for (int k = 3; k >= 0; --k)
        p.value.Number = (p.value.Number << 8) | static_cast<unsigned char>((*bytes)[k]);
    }
    return p;
  }
  return p;
}

// A value line: "name"=data, all continuation lines joined.
bool SplitValueLine(std::string_view logical, std::string& name, std::string_view& data) {
  logical = TrimLeft(logical);
  if (logical.empty() || logical.front() != '"') return false;
  size_t end = 0;
  auto n = ReadQuoted(logical, end);
  if (!n) return false;
  std::string_view rest = TrimLeft(logical.substr(end));
  if (rest.empty() || rest.front() != '=') return false;
  name = std::move(*n);
  data = rest.substr(1);
  return true;
}

std::string JoinContinuations(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view l = lines[i];
    if (i > 0) l = TrimLeft(l);
    if (i + 1 < lines.size()) {
      l = std::string_view(l).substr(0, l.find_last_not_of(" \t") + 1);
      if (!l.empty() && l.back() == '\\') l.remove_suffix(1);
    }
    out += l;
  }
  return out;
}

bool EndsWithContinuation(std::string_view line) {
  const size_t last = line.find_last_not_of(" \t");
  return last != std::string_view::npos && line[last] == '\\';
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// KeyFileDocument.

KeyFileDocument KeyFileDocument::Empty() {
  KeyFileDocument d;
  Entry header;
  header.lines = {"Windows Registry Editor Version 5.00"};
  d.entries_.push_back(std::move(header));
  return d;
}

KeyFileDocument KeyFileDocument::Parse(std::string_view bytes) {
  KeyFileDocument d;
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    d.encoding_ = Encoding::Utf16Le;
    text = Utf16LeToUtf8(bytes.substr(2), false);
  } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    d.encoding_ = Encoding::Utf8Bom;
    text = std::string(bytes.substr(3));
  } else if (IsValidUtf8(bytes)) {
    d.encoding_ = Encoding::Utf8;
    text = std::string(bytes);
  } else {
    d.encoding_ = Encoding::Ansi;
    text = Cp1252ToUtf8(bytes);
  }

  std::vector<std::string> physical;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      if (start < text.size()) physical.push_back(text.substr(start));
      d.finalLineEnd_ = start == text.size() && !physical.empty();
      break;
    }
    std::string line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      d.crlf_ = true;
    }
    physical.push_back(std::move(line));
    start = nl + 1;
  }
  if (physical.empty()) d.finalLineEnd_ = true;

  for (const auto& line : physical) {
    const std::string_view t = Trim(line);
    if (!t.empty()) {
      d.regedit4_ = t == "REGEDIT4";
      break;
    }
  }
  // An old export that happens to hold only ASCII is still an ANSI file: texts added to it
  // go in as Windows-1252, as the program that made it expects.
  if (d.regedit4_ && d.encoding_ == Encoding::Utf8) {
    bool ascii = true;
    for (char c : text) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) d.encoding_ = Encoding::Ansi;
  }

  int32_t currentSection = -1;
  for (size_t i = 0; i < physical.size(); ++i) {
    Entry e;
    const std::string_view t = TrimLeft(physical[i]);
    e.lines.push_back(physical[i]);
    if (!t.empty() && t.front() == '"') {
      while (EndsWithContinuation(e.lines.back()) && i + 1 < physical.size())
        e.lines.push_back(physical[++i]);
      std::string_view data;
      if (SplitValueLine(JoinContinuations(e.lines), e.name, data)) {
        e.kind = Kind::Value;
        e.sectionIndex = currentSection;
      }
    } else if (!t.empty() && t.front() == '[') {
      const std::string_view tt = Trim(t);
      if (tt.back() == ']') {
        e.kind = Kind::Section;
        e.section = std::string(Trim(tt.substr(1, tt.size() - 2)));
        currentSection = static_cast<int32_t>(d.entries_.size());
      }
    }
    d.entries_.push_back(std::move(e));
  }
  return d;
}

std::string KeyFileDocument::Serialize() const {
  const char* eol = crlf_ ? "\r\n" : "\n";
  std::string text;
  bool first = true;
  for (const auto& e : entries_)
    for (const auto& l : e.lines) {
      if (!first) text += eol;
      text += l;
      first = false;
    }
  if (finalLineEnd_ && !first) text += eol;

  switch (encoding_) {
    case Encoding::Utf16Le:
      return "\xFF\xFE" + Utf8ToUtf16Le(text);
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF" + text;
    case Encoding::Ansi: {
      std::string ansi = Utf8ToCp1252(text);
      if (Cp1252ToUtf8(ansi) == text) return ansi;
      return text;
    }
    case Encoding::Utf8:
      break;
  }
  return text;
}

bool KeyFileDocument::IsKeySection(const Entry& e, const std::string& folded) const {
  return e.kind == Kind::Section && Fold(e.section) == folded;
}

std::string KeyFileDocument::KeySectionFolded() const {
  const std::string plain = Fold(SettingsKeySection);
  for (const auto& e : entries_)
    if (IsKeySection(e, plain)) return plain;
  const std::string wow = Fold(SettingsKeySectionWow);
  for (const auto& e : entries_)
    if (IsKeySection(e, wow)) return wow;
  return "";
}

bool KeyFileDocument::HasKey() const { return !KeySectionFolded().empty(); }

std::optional<RegistryValue> KeyFileDocument::Value(std::string_view name) const {
  const std::string key = KeySectionFolded();
  if (key.empty()) return std::nullopt;
  const std::string folded = Fold(name);
  std::optional<RegistryValue> result;
  for (const auto& e : entries_) {
    if (e.kind != Kind::Value || e.sectionIndex < 0 || !IsKeySection(entries_[e.sectionIndex], key)) continue;
    if (Fold(e.name) != folded) continue;
    std::string n;
    std::string_view data;
    const std::string logical = JoinContinuations(e.lines);
    SplitValueLine(logical, n, data);
    ParsedValue p = ParseData(data, regedit4_);
    if (p.deleted)
      result.reset();
    else
      result = std::move(p.value);
  }
  return result;
}

std::string KeyFileDocument::FormatValueLine(std::string_view name, const RegistryValue& value) const {
  std::string line = "\"" + Escape(name) + "\"=";
  char buf[16];
  switch (value.Type) {
    case RegistryValueType::Dword:
      std::snprintf(buf, sizeof buf, "%08x", value.Number);
      return line + "dword:" + buf;
    case RegistryValueType::String:
    case RegistryValueType::ExpandString: {
      bool control = false;
      for (char c : value.Text) control |= static_cast<unsigned char>(c) < 0x20;
      if (value.Type == RegistryValueType::String && !control) return line + "\"" + Escape(value.Text) + "\"";
      // Line breaks and other control characters cannot stand inside a quoted export text.
      const std::string bytes = regedit4_ ? Utf8ToCp1252(value.Text) + std::string(1, '\0')
                                          : Utf8ToUtf16Le(value.Text) + std::string(2, '\0');
      return line + (value.Type == RegistryValueType::String ? "hex(1):" : "hex(2):") + HexList(bytes);
    }
    case RegistryValueType::Other:
      break;
  }
  throw SonavelError("Invalid data type for '" + std::string(name) + "'");
}

void KeyFileDocument::SetValue(std::string_view name, const RegistryValue& value) {
  const std::string key = KeySectionFolded();
  if (key.empty()) throw SonavelError("Failed to set data for '" + std::string(name) + "'");
  const std::string folded = Fold(name);
  for (size_t i = entries_.size(); i-- > 0;) {
    Entry& e = entries_[i];
    if (e.kind != Kind::Value || e.sectionIndex < 0 || !IsKeySection(entries_[e.sectionIndex], key)) continue;
    if (Fold(e.name) != folded) continue;
    // The registry keeps the spelling of an existing value's name.
    e.lines = {FormatValueLine(e.name, value)};
    return;
  }
  // A new value goes after the last value of the last section of the key.
  size_t sectionAt = 0;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (IsKeySection(entries_[i], key)) sectionAt = i;
  size_t insertAt = sectionAt + 1;
  for (size_t i = sectionAt + 1; i < entries_.size() && entries_[i].kind != Kind::Section; ++i)
    if (entries_[i].kind == Kind::Value) insertAt = i + 1;
  // A value line that ends the file with a continuation backslash would swallow a line put
  // after it, so the new value goes in front of it.
  if (insertAt == entries_.size() && insertAt > sectionAt + 1) {
    const Entry& last = entries_[insertAt - 1];
    if (!TrimLeft(last.lines.front()).empty() && TrimLeft(last.lines.front()).front() == '"' &&
        EndsWithContinuation(last.lines.back()))
      --insertAt;
  }
  Entry e;
  e.kind = Kind::Value;
  e.name = std::string(name);
  e.sectionIndex = static_cast<int32_t>(sectionAt);
  e.lines = {FormatValueLine(name, value)};
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(e));
  for (size_t i = insertAt + 1; i < entries_.size(); ++i)
    if (entries_[i].sectionIndex >= static_cast<int32_t>(insertAt)) ++entries_[i].sectionIndex;
}

void KeyFileDocument::AddKey() {
  if (!entries_.empty() && !Trim(entries_.back().lines.back()).empty())
    entries_.push_back(Entry{Kind::Other, {""}, "", "", -1});
  Entry e;
  e.kind = Kind::Section;
  e.section = SettingsKeySection;
  e.lines = {"[" + e.section + "]"};
  entries_.push_back(std::move(e));
  finalLineEnd_ = true;
}

// ---------------------------------------------------------------------------------------------
// The store.

namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Full access: the file opens for reading and writing (nothing is written here).
bool OpensForFullAccess(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::optional<KeyFileDocument> LoadDocument(const std::string& path) {
  if (!IsRegularFile(path) || !OpensForFullAccess(path)) return std::nullopt;
  try {
    return KeyFileDocument::Parse(ReadWholeFile(path, MaxKeyFileBytes));
  } catch (const SonavelError&) {
    return std::nullopt;
  }
}

class KeyFileKey : public RegistryKey {
 public:
  KeyFileKey(std::string path, KeyFileDocument doc) : path_(std::move(path)), doc_(std::move(doc)) {}

  std::optional<RegistryValue> Value(const std::string& name) override { return doc_.Value(name); }

  void WriteDword(const std::string& name, uint32_t value) override {
    Write(name, RegistryValue{RegistryValueType::Dword, value, ""});
  }
  void WriteString(const std::string& name, const std::string& value) override {
    Write(name, RegistryValue{RegistryValueType::String, 0, value});
  }

 private:
  // Each write starts from the file as it now is, so that values another program wrote since
  // the key was opened are kept, and replaces the file as a whole.
  void Write(const std::string& name, const RegistryValue& value) {
    KeyFileDocument doc = KeyFileDocument::Parse(ReadWholeFile(path_, MaxKeyFileBytes));
    if (!doc.HasKey()) throw SonavelError("The key is no longer in \"" + path_ + "\".");
    doc.SetValue(name, value);
    WriteWholeFile(path_, doc.Serialize());
    doc_ = std::move(doc);
  }

  std::string path_;
  KeyFileDocument doc_;
};

}  // namespace

std::unique_ptr<RegistryKey> KeyFileStore::OpenKey(KeyPaths paths) {
  std::vector<std::string> candidates{locations_.First};
  if (paths == KeyPaths::FirstElseAlternative && !locations_.Alternative.empty())
    candidates.push_back(locations_.Alternative);
  for (const auto& path : candidates) {
    auto doc = LoadDocument(path);
    if (doc && doc->HasKey()) return std::make_unique<KeyFileKey>(path, std::move(*doc));
  }
  return nullptr;
}

KeyFileStore::Locations KeyFileLocationsFromEnvironment() {
  auto env = [](const char* name) -> std::string {
    const char* v = std::getenv(name);
    return v == nullptr ? "" : v;
  };
  const std::string overridden = env("SONAVEL_REGISTRY");
  if (!overridden.empty()) return {overridden, ""};
  std::string config = env("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and to be ignored.
  if (config.empty() || config.front() != '/') {
    const std::string home = env("HOME");
    config = home.empty() ? "" : home + "/.config";
  }
  return {config.empty() ? "" : config + "/Brantel/Sonavel.reg", "/etc/Brantel/Sonavel.reg"};
}

bool InstallKeyFile(const std::string& path,
                    const std::vector<std::pair<std::string, RegistryValue>>& values) {
  KeyFileDocument doc = KeyFileDocument::Empty();
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    doc = KeyFileDocument::Parse(ReadWholeFile(path, MaxKeyFileBytes));
    if (doc.HasKey()) return false;
  } else {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  }
  doc.AddKey();
  for (const auto& [name, value] : values) doc.SetValue(name, value);
  WriteWholeFile(path, doc.Serialize());
  return true;
}

}  // namespace sonavel
