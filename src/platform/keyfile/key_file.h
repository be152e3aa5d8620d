// The settings key on Linux: a file in the text format of registry exports, so that a key
// exported on Windows can be dropped in and a key written here can be read there. The file is
// kept as its lines; a rewrite changes only the values it sets and keeps every other line,
// section and value as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/key_store.h"

namespace sonavel {

// The key's section and, from a 64-bit Windows export, its redirected twin.
constexpr const char* SettingsKeySection = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel";
constexpr const char* SettingsKeySectionWow = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Brantel\\Sonavel";

// Key files are small; anything larger is not one.
constexpr size_t MaxKeyFileBytes = 4u << 20;

class KeyFileDocument {
 public:
  enum class Encoding { Utf8, Utf8Bom, Utf16Le, Ansi };

  // Reads any byte string; lines it cannot make sense of are kept and otherwise ignored.
  static KeyFileDocument Parse(std::string_view bytes);
  // A new file holding only the export header.
  static KeyFileDocument Empty();

  // The bytes of the file, in the encoding it was read in. An ANSI file whose texts no longer
  // fit Windows-1252 is written as UTF-8 rather than losing characters.
  std::string Serialize() const;

  Encoding FileEncoding() const { return encoding_; }

  // The key's section is present (the plain one, else the Wow6432Node one).
  bool HasKey() const;
  // The value as the registry would hold it after importing the file: the last definition
  // wins, and "-" deletes.
  std::optional<RegistryValue> Value(std::string_view name) const;
  // Sets a REG_DWORD or REG_SZ value in the key; needs HasKey().
  void SetValue(std::string_view name, const RegistryValue& value);
  // Appends the key's section (the installation's part).
  void AddKey();

 private:
  enum class Kind { Other, Section, Value };
  struct Entry {
    Kind kind = Kind::Other;
    std::vector<std::string> lines;  // physical lines, without line ends
    std::string section;             // Section: the key name as written
    std::string name;                // Value: the value name
    int32_t sectionIndex = -1;       // Value: index of its section entry
  };

  std::string KeySectionFolded() const;
  bool IsKeySection(const Entry& e, const std::string& folded) const;
  std::string FormatValueLine(std::string_view name, const RegistryValue& value) const;

  std::vector<Entry> entries_;
  Encoding encoding_ = Encoding::Utf8;
  bool crlf_ = false;
  bool finalLineEnd_ = true;
  bool regedit4_ = false;  // hex string data is ANSI rather than UTF-16LE
};

// A store on key files: the first path, and the alternative path tried when the first holds no
// key that can be opened for reading and writing.
class KeyFileStore : public KeyStore {
 public:
  struct Locations {
    std::string First;
    std::string Alternative;  // empty: none
  };

  explicit KeyFileStore(Locations locations) : locations_(std::move(locations)) {}

  std::unique_ptr<RegistryKey> OpenKey(KeyPaths paths) override;
  const Locations& Paths() const { return locations_; }

 private:
  Locations locations_;
};

// SONAVEL_REGISTRY names the one key file; otherwise $XDG_CONFIG_HOME/Brantel/Sonavel.reg
// (~/.config when XDG_CONFIG_HOME is unset) with /etc/Brantel/Sonavel.reg as the alternative.
KeyFileStore::Locations KeyFileLocationsFromEnvironment();

// The installation's part: writes the key's section with these values into `path`, creating
// the file and its folder when needed. Returns false, writing nothing, when the file already
// holds the key; throws SonavelError when the file cannot be read or written.
bool InstallKeyFile(const std::string& path,
                    const std::vector<std::pair<std::string, RegistryValue>>& values);

}  // namespace sonavel
