#pragma once
// The ACTIVITYLOG rows the DM writes of its own accord: when it creates a
// profile or a folder and when it adds a version. They carry the logged-on
// user as AUTHOR and TYPIST and the emulator's clock (UTC, with its
// milliseconds) as START_DATE, the same clock GETUTCDATE() reads.
//
// Activity types are the emulator's: 2 profile created, 3 version created
// (never 0, 24 or 25, the program's own entries).

#include <cstdint>
#include <optional>
#include <string>

namespace dmsim {

class LibraryDb;

inline constexpr int32_t kActivityProfileCreated = 2;
inline constexpr int32_t kActivityVersionCreated = 3;

void WriteDmActivity(LibraryDb& db, int32_t docNumber, int32_t type, const std::string& description,
                     const std::string& versionLabel, std::optional<int64_t> application);

}  // namespace dmsim
