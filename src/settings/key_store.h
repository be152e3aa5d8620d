// The settings key as the core sees it: a store that opens an existing key (never creates it)
// and reads and writes typed values. The key-file driver implements it; the program, the CLI
// and the tests pass one in.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace sonavel {

enum class RegistryValueType {
  String,        // REG_SZ
  ExpandString,  // REG_EXPAND_SZ
  Dword,         // REG_DWORD
  Other,         // any other type, or data the store cannot make sense of
};

struct RegistryValue {
  RegistryValueType Type = RegistryValueType::Other;
  uint32_t Number = 0;  // REG_DWORD
  std::string Text;     // REG_SZ / REG_EXPAND_SZ, UTF-8

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// One opened key. Value names compare without regard to case, as in the registry.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // nullopt when the key holds no value of that name.
  virtual std::optional<RegistryValue> Value(const std::string& name) = 0;
  bool ValueExists(const std::string& name) { return Value(name).has_value(); }

  // Each write is durable on return; a failure throws SonavelError with the system's reason.
  virtual void WriteDword(const std::string& name, uint32_t value) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
};

enum class KeyPaths {
  FirstOnly,            // the key's first path
  FirstElseAlternative  // the first path, else the alternative path
};

class KeyStore {
 public:
  virtual ~KeyStore() = default;

  // Opens the key for reading and writing; nullptr when it does not exist or cannot be opened
  // for full access. A key is never created here.
  virtual std::unique_ptr<RegistryKey> OpenKey(KeyPaths paths) = 0;
};

// A store in which no key exists: every load fails and nothing can be marked.
class AbsentKeyStore : public KeyStore {
 public:
  std::unique_ptr<RegistryKey> OpenKey(KeyPaths) override { return nullptr; }
};

}  // namespace sonavel
