#pragma once
// One entry of a library's activity log that records a copy, transfer or
// move of a document to or from another library.

#include <cstdint>
#include <string>

namespace core {
class Program;
}

namespace transfer {

// Activity types of the transfer's own entries.
inline constexpr int32_t kActivityCopy = 0;
inline constexpr int32_t kActivityTransferredIn = 24;
inline constexpr int32_t kActivityTransferredOut = 25;
// How the source's entry of a Move begins; the next run knows by it that
// only the removal of the source may be left.
inline constexpr const char* kMovedTo = "Moved to ";

// A description as the connected library's activity log can hold it:
// trimmed, and cut to the column's width when it is long.
std::string ActivityDescription(core::Program& p, const std::string& description);

// Writes the entry into library for docNumber, referring to refDocument of
// refLibrary, with the program's user as author and typist and the
// database's time. While "Keep history of all copies/transfers" is
// unchecked, the older entries of the same kind go once the new entry's key
// is known. The library connected on entry is connected again on every way
// out. False when the library cannot be connected, no key is had, the entry
// is not written, a DM call fails or the library of the entry cannot be
// connected again.
bool AddActivityLogEntry(core::Program& p, const std::string& library, const std::string& refLibrary,
                         int32_t docNumber, int32_t refDocument, int32_t activityType,
                         const std::string& description);

}  // namespace transfer
