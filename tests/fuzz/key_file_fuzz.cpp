// Any bytes as a key file: the reader never reads out of bounds, and a value set in a file that
// holds the key reads back as set while the other values stay as they were.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/keyfile/key_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonavel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  KeyFileDocument doc = KeyFileDocument::Parse(bytes);
  const std::string serialized = doc.Serialize();
  if (!doc.HasKey()) return 0;
  const auto before = doc.Value("Trial Run");
  const RegistryValue text{RegistryValueType::String, 0, "Müller \"\\\r\n"};
  const RegistryValue number{RegistryValueType::Dword, 0xFFFFFFFFu, ""};
  doc.SetValue("Cal Filename", text);
  doc.SetValue("Mixer Device Number", number);
  const KeyFileDocument again = KeyFileDocument::Parse(doc.Serialize());
  if (again.Value("cal filename") != text || again.Value("Mixer Device Number") != number) std::abort();
  if (again.Value("Trial Run") != before) std::abort();
  return 0;
}
