#pragma once
// Trustees of an item as its SECURITY rows hold them, and what the rights
// allow. The rows that apply are the item's own (THING = its SYSTEM_ID), or
// those of the item PROFILE.SECURITY_LINK names when that is neither 0 nor
// the item itself. An entry is a row whose PERSONORGROUP names a PEOPLE or
// GROUPS row; the no-trustees row (0, 255) is none.
//
// ACCESSRIGHTS bits: 1 view profile, 2 edit profile, 4 view content,
// 8 retrieve, 16 edit content, 32 copy, 64 delete, 128 control access;
// 255 is full access.

#include <cstdint>
#include <string>
#include <vector>

namespace dmsim {

class LibraryDb;

inline constexpr int32_t kRightDelete = 64;
inline constexpr int32_t kFullAccess = 255;

struct TrusteeEntry {
    int64_t personOrGroup = 0;
    std::string userId;   // a person's USER_ID, else ""
    std::string groupId;  // a group's GROUP_ID, else ""
    int32_t rights = 0;
};

std::vector<TrusteeEntry> TrusteesOf(LibraryDb& db, int64_t systemId);

// Whether the library's user may delete the item: the item has no trustees
// of its own (DEFAULT_RIGHTS 0), or the user belongs to a group with
// universal access, or an entry of the user or of one of the user's groups
// holds the delete right.
bool MayDelete(LibraryDb& db, int64_t systemId);

}  // namespace dmsim
