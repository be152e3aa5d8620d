// The product name and version of the program's string table.
#pragma once

namespace sonavel {

constexpr const char* ProductName = "Sonavel";
constexpr const char* ProductVersion = "2.1";
// Where the e-mail command sends feedback.
constexpr const char* FeedbackAddress = "feedback@sonavel.org";

}  // namespace sonavel
