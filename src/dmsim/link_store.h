#pragma once
// Links between profiles, kept in the emulator's own table DMSIM_LINKS of
// the owning item's library (the program names no table for them). A link
// belongs to a profile by its SYSTEM_ID and leads to a profile of any
// library by library name and SYSTEM_ID there, so links survive
// renumbering. A removal that waits for the collection's next Refresh marks
// the row REMOVED 'Y'; until then the link is still listed.

#include <cstdint>
#include <string>
#include <vector>

namespace dmsim {

class LibraryDb;

inline constexpr const char* kLinkTable = "DMSIM_LINKS";

struct LinkRow {
    int64_t linkId = 0;
    std::string library;  // the linked profile's library
    int64_t thing = 0;    // the linked profile's SYSTEM_ID there
    bool removed = false;
};

// Creates the table in a library that lacks it.
void EnsureLinkTable(LibraryDb& db);

std::vector<LinkRow> LinksOf(LibraryDb& db, int64_t owner);
int64_t AddLink(LibraryDb& db, int64_t owner, const std::string& library, int64_t linkedThing);
// Now, or at the owner's next Refresh.
void RemoveLink(LibraryDb& db, int64_t linkId, bool deferred);
void ApplyDeferredLinkRemovals(LibraryDb& db, int64_t owner);
void RemoveLinksOf(LibraryDb& db, int64_t owner);

}  // namespace dmsim
