#include "model/audiogram.h"

#include <cstdio>

namespace sonavel {

std::string TestDateStampOf(const Date& date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%d", static_cast<int>(date.Day), static_cast<int>(date.Month),
                static_cast<int>(date.Year));
  return buf;
}

std::string TestTimeStampOf(int32_t hour, int32_t minute) {
  return std::to_string(hour) + "h" + std::to_string(minute);
}

}  // namespace sonavel
