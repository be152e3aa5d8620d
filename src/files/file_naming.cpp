#include "files/file_naming.h"

namespace sonavel {

std::string SuggestedFileName(const SettingsRecord& s, const PersonalData& p, const PatientFile& a,
                              const RegionalFormat& regional) {
  std::string name;
  auto add = [&](bool include, const std::string& value) {
    if (include) name += value + " ";
  };
  add(s.IncludeLName, p.LastName);
  add(s.IncludeFName, p.FirstName);
  add(s.IncludeRef, p.ReferenceNumber);
  add(s.IncludeDept, p.Organisation);
  add(s.IncludeDOB, FormatShortDate(regional, p.DateOfBirth));
  add(s.IncludeDate, a.TestDateStamp);
  add(s.IncludeTime, a.TestTimeStamp);
  if (!name.empty()) name.pop_back();
  for (char& c : name)
    if (c == '<' || c == '>' || c == '"' || c == ':' || c == '/' || c == '\\') c = '-';
  return name;
}

bool SaveAsText(const std::string& name, int32_t fileType) {
  const bool txt = name.size() >= 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
  return txt || fileType == SaveTypeText;
}

}  // namespace sonavel
