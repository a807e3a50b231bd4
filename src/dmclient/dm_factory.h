#pragma once
// Creates the DM client's top-level objects by the identifiers the program
// uses. A creator can fail in two ways the program tells apart: it throws
// DmError, or it answers nothing.

#include <string>
#include <string_view>
#include <vector>

#include "dmclient/dm_interfaces.h"

namespace dm {

inline constexpr std::string_view kApplicationClass = "DmApplicationObject";
inline constexpr std::string_view kApplicationProgId = "DOCSObjects.Application";
inline constexpr std::string_view kClientClass = "DmClientObject";
inline constexpr std::string_view kSqlProgId = "PCDClient.PCDSQL";
inline constexpr std::string_view kSearchDialogClass = "DmSearchDialogObject";

class IDmObjectFactory {
public:
    virtual ~IDmObjectFactory() = default;
    // id: kApplicationClass or kApplicationProgId.
    virtual ApplicationPtr CreateApplication(std::string_view id) = 0;
    virtual ClientPtr CreateClient() = 0;
    virtual SqlPtr CreateSql(std::string_view progId) = 0;
    virtual SearchDialogPtr CreateSearchDialog() = 0;
};

// One document a user picked in the DM's search dialog.
struct DmSearchPick {
    std::string library;
    int32_t docNumber = 0;
    std::string name;
};

// The DM's own dialogs are windows of the client; a client implementation
// shows them through this host, which the program wires to its UI host.
class IDmDialogHost {
public:
    virtual ~IDmDialogHost() = default;
    // Index into names (from 0), or -1 when the user cancels.
    virtual int ChooseLibrary(const std::vector<std::string>& names) = 0;
    // False when the user cancels; otherwise the picks (possibly none).
    virtual bool SearchDocuments(const std::string& prompt,
                                 const std::vector<DmSearchPick>& candidates,
                                 std::vector<DmSearchPick>& picks) = 0;
    virtual void DisplayProfile(const std::string& library, int32_t docNumber) = 0;
};

}  // namespace dm
