#include "app/build_info.h"

#include "core/date_text.h"

#ifndef DORVANE_VERSION_MAJOR
#define DORVANE_VERSION_MAJOR 2026
#define DORVANE_VERSION_MINOR 1
#define DORVANE_VERSION_PATCH 1
#endif

namespace app {

VersionDate ProgramVersion() { return {DORVANE_VERSION_MAJOR, DORVANE_VERSION_MINOR, DORVANE_VERSION_PATCH}; }

std::string BuildNumberOf(const VersionDate& v) { return std::to_string(core::DayCount(v.year, v.month, v.day)); }

std::string BuildDateOf(const VersionDate& v) { return core::ShortMonthDate(v.year, v.month, v.day); }

}  // namespace app
