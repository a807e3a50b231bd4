#include "dmsim/security_rights.h"

#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"

namespace dmsim {

namespace {

// The SYSTEM_ID whose SECURITY rows apply to the item.
int64_t SecurityThing(LibraryDb& db, int64_t systemId) {
    if (!db.Spec().HasColumn(OptionalColumn::SecurityLink)) return systemId;
    int64_t link = AsInt(db.QueryValue("SELECT SECURITY_LINK FROM " + db.Table("PROFILE") + " WHERE SYSTEM_ID = ?",
                                       {systemId}));
    return link != 0 ? link : systemId;
}

}  // namespace

std::vector<TrusteeEntry> TrusteesOf(LibraryDb& db, int64_t systemId) {
    auto rows = db.Query("SELECT S.PERSONORGROUP, P.USER_ID, G.GROUP_ID, S.ACCESSRIGHTS FROM " + db.Table("SECURITY") +
                             " S LEFT JOIN " + db.Table("PEOPLE") + " P ON P.SYSTEM_ID = S.PERSONORGROUP LEFT JOIN " +
                             db.Table("GROUPS") +
                             " G ON G.SYSTEM_ID = S.PERSONORGROUP WHERE S.THING = ? AND S.PERSONORGROUP <> 0 "
                             "AND (P.SYSTEM_ID IS NOT NULL OR G.SYSTEM_ID IS NOT NULL) ORDER BY S.rowid",
                         {SecurityThing(db, systemId)});
    std::vector<TrusteeEntry> out;
    for (const auto& r : rows.rows) {
        out.push_back({AsInt(r[0]), AsText(r[1]), AsText(r[2]), static_cast<int32_t>(AsInt(r[3]))});
    }
    return out;
}

bool MayDelete(LibraryDb& db, int64_t systemId) {
    auto defaultRights = db.QueryValue("SELECT DEFAULT_RIGHTS FROM " + db.Table("PROFILE") + " WHERE SYSTEM_ID = ?",
                                       {systemId});
    if (AsInt(defaultRights) == 0) return true;
    auto user = FindPerson(db, db.Spec().userId);
    if (!user) return false;
    auto groups = db.Query("SELECT G.SYSTEM_ID, G.UNIV_ACCESS FROM " + db.Table("GROUPS") + " G WHERE G.SYSTEM_ID IN "
                           "(SELECT GROUPS_SYSTEM_ID FROM " + db.Table("PEOPLEGROUPS") +
                           " WHERE PEOPLE_SYSTEM_ID = ? UNION SELECT PRIMARY_GROUP FROM " + db.Table("PEOPLE") +
                           " WHERE SYSTEM_ID = ?)",
                           {*user, *user});
    std::vector<int64_t> trustees{*user};
    for (const auto& g : groups.rows) {
        if (AsInt(g[1]) == kFullAccess) return true;
        trustees.push_back(AsInt(g[0]));
    }
    int32_t rights = 0;
    for (const auto& entry : TrusteesOf(db, systemId)) {
        for (int64_t t : trustees) {
            if (entry.personOrGroup == t) rights |= entry.rights;
        }
    }
    return (rights & kRightDelete) != 0;
}

}  // namespace dmsim
