#include "settings/suppressible_message.h"

#include "core/error.h"
#include "settings/registry.h"

namespace sonavel {

int32_t SuppressibleMessage(Host& host, KeyStore& store, const std::string& text, const std::string& caption,
                            MessageIcon dialogType, uint32_t buttons, const std::string& valueName) {
  std::unique_ptr<RegistryKey> key = store.OpenKey(KeyPaths::FirstOnly);
  if (key && key->ValueExists(valueName)) return 0;
  bool ticked = false;
  const int32_t result =
      host.CheckBoxMessageBox(text, caption, dialogType, buttons, SuppressCheckBoxText, ticked);
  if (ticked) {
    if (!key) throw SonavelError(RegistrySetFailedText(valueName));
    try {
      key->WriteDword(valueName, 1);
    } catch (const SonavelError& e) {
      throw SonavelError(RegistrySetFailedText(valueName) + ": " + e.what());
    }
  }
  return result;
}

}  // namespace sonavel
