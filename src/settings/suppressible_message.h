// The message dialog that the user can silence for good: a tick in its check box leaves a mark
// in the settings key, and a message whose mark is there is not shown again.
#pragma once

#include <cstdint>
#include <string>

#include "core/host.h"
#include "settings/key_store.h"

namespace sonavel {

constexpr const char* SuppressCheckBoxText = "Diese Meldung nicht wieder anzeigen.";

// Returns 0 without showing anything when the key (first path only) holds a value named
// `valueName`; otherwise the dialog's modal result (6 for Yes). A tick that cannot be stored
// (no key) throws SonavelError naming the value, after the dialog was shown.
int32_t SuppressibleMessage(Host& host, KeyStore& store, const std::string& text, const std::string& caption,
                            MessageIcon dialogType, uint32_t buttons, const std::string& valueName);

}  // namespace sonavel
