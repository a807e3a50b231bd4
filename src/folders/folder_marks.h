#pragma once
// The marks of folder creations in a library's activity log
// (core/activity_marks.h): "Folder from #12 by PC1", REF_DOCUMENT the source
// folder negated, DOCNUMBER the new folder once the DM has numbered it,
// PAGES the parent it is made under, KEYSTROKES the ticket of its claim
// (kTicketPending until drawn; 0 in the marks of older versions, which
// claim nothing).

#include <cstdint>
#include <string>
#include <vector>

namespace core {
class Program;
}

namespace folders {

inline constexpr const char* kMarkPrefix = "Folder from #";
inline constexpr const char* kMarkOwnerSeparator = " by ";
inline constexpr int32_t kTicketPending = -1;

struct FolderMark {
    int32_t SystemId = 0;
    int32_t DocNumber = 0;
    int64_t Key = 0;
    int32_t Parent = 0;
    int32_t Ticket = 0;
    std::string Text;
    std::string Time;
    // Older than the stale-lock age, or without a time.
    bool Stale = false;

    // The run the mark names, "" for none.
    std::string Writer() const;
    bool Claims() const { return Ticket != 0; }
};

// The run's name as marks carry it: a mark's description holds 60
// characters.
std::string MarkOwner(core::Program& p);

// The folder marks of the connected library that also meet `condition`
// (text beginning " AND ", on the row A), oldest first. A read the library
// refused raises the DM's error: the marks would pass for none, and a
// half-made folder for no folder at all.
std::vector<FolderMark> ReadFolderMarks(core::Program& p, const std::string& condition, const std::string& dependent);

// A condition that the profile P carries the folder's name, as the DM was
// given it or as the program writes it, or no name yet.
std::string NamedAs(const std::string& name);

}  // namespace folders
