// The Save command's two decisions: the file name it suggests from the personal data and the
// test stamps, and whether the chosen name is written as text export or as audiogram file.
#pragma once

#include <cstdint>
#include <string>

#include "core/regional.h"
#include "model/audiogram.h"
#include "model/state.h"
#include "model/settings.h"

namespace sonavel {

// What the Save command shows when anything in it fails.
constexpr const char* SaveErrorText = "There was an error trying to save";

// File types of the save dialog.
constexpr int32_t SaveTypeAudiogram = 1;
constexpr int32_t SaveTypeText = 2;

// The values chosen by IncludeLName .. IncludeTime, each followed by a blank, the last blank
// dropped; empty values keep their blanks. < > " : / \ become "-".
std::string SuggestedFileName(const SettingsRecord& Settings, const PersonalData& personal,
                              const PatientFile& audiogram, const RegionalFormat& regional);

// A name ending in exactly ".txt", or the text file type, is written as text export.
bool SaveAsText(const std::string& name, int32_t fileType);

}  // namespace sonavel
