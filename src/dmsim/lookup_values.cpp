#include "dmsim/lookup_values.h"

#include <algorithm>
#include <cctype>

#include "dmsim/library_db.h"

namespace dmsim {

namespace {

struct LookupTable {
    const char* table;
    const char* idColumn;
};

LookupTable TableOf(Lookup lookup) {
    switch (lookup) {
        case Lookup::Person: return {"PEOPLE", "USER_ID"};
        case Lookup::Application: return {"APPS", "APPLICATION"};
        case Lookup::DocumentType: return {"DOCUMENTTYPES", "TYPE_ID"};
        case Lookup::Client: return {"CLIENT", "CLIENT_ID"};
        case Lookup::Matter: return {"MATTER", "MATTER_ID"};
        case Lookup::None: break;
    }
    return {nullptr, nullptr};
}

}  // namespace

bool IsDisabledFlag(const std::string& flag) {
    std::string f;
    for (char c : flag) {
        if (!std::isspace(static_cast<unsigned char>(c))) f += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return f == "1" || f == "Y";
}

std::optional<int64_t> ResolveLookup(LibraryDb& db, Lookup lookup, const std::string& id,
                                     std::optional<int64_t> client) {
    LookupTable t = TableOf(lookup);
    if (!t.table || id.empty()) return std::nullopt;
    const std::string sql = "SELECT SYSTEM_ID, DISABLED FROM " + db.Table(t.table) + " WHERE " + t.idColumn + " = ?";
    const bool inClient = lookup == Lookup::Matter && client;
    auto rows = inClient ? db.Query(sql + " AND CLIENT_ID = ? ORDER BY SYSTEM_ID", {id, *client})
                         : db.Query(sql + " ORDER BY SYSTEM_ID", {id});
    if (rows.rows.empty()) return std::nullopt;
    const auto& row = rows.rows.front();
    if (IsDisabledFlag(AsText(row[1]))) return std::nullopt;
    return AsInt(row[0]);
}

std::optional<int64_t> FindPerson(LibraryDb& db, const std::string& userId) {
    if (userId.empty()) return std::nullopt;
    auto v = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("PEOPLE") + " WHERE USER_ID = ? ORDER BY SYSTEM_ID",
                           {userId});
    if (IsNull(v)) return std::nullopt;
    return AsInt(v);
}

}  // namespace dmsim
