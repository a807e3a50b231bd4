#include "folders/folder_trustees.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_support.h"

namespace folders {

namespace {

struct Trustee {
    std::string name;
    std::string rights;
    bool group = false;
};

// Runs a statement whose rows nobody reads; the rows it changed.
int32_t Run(core::Program& p, const std::string& statement) {
    int32_t changed = 0;
    if (p.RunSQL(statement)) changed = core::Require(p.session.PcdSql)->RowsAffected();
    if (p.session.PcdSql) p.session.PcdSql->ReleaseResults();
    return changed;
}

// ACCESSRIGHTS goes into the statement unquoted, so only a whole number may.
bool IsWholeNumber(const std::string& text) {
    size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    return text.size() > start &&
           std::all_of(text.begin() + start, text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string ProfileSystemId(int32_t folder) {
    return "(SELECT SYSTEM_ID FROM [OWNER].PROFILE WHERE DOCNUMBER = " + std::to_string(folder) + ")";
}

// DEFAULT_RIGHTS 0 and the single row that stands for no trustees.
void MarkNoTrustees(core::Program& p, int32_t folder) {
    const std::string number = std::to_string(folder);
    Run(p, "UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = 0 WHERE DOCNUMBER = " + number);
    Run(p, "DELETE FROM [OWNER].SECURITY WHERE THING = " + ProfileSystemId(folder));
    Run(p, "INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT 0, 255, SYSTEM_ID FROM "
           "[OWNER].PROFILE WHERE DOCNUMBER = " +
               number);
}

// Whether the source folder is open to everyone: only a DEFAULT_RIGHTS that
// reads 0 says so; a read that fails leaves it restricted.
bool IsOpenToEveryone(core::Program& p, int32_t sourceFolder) {
    p.RunSQL("SELECT DEFAULT_RIGHTS FROM [OWNER].PROFILE WHERE DOCNUMBER = " + std::to_string(sourceFolder));
    auto& sql = core::Require(p.session.PcdSql);
    const std::string rights = core::Trim(sql->ColumnValue(1).ToText());
    sql->ReleaseResults();
    return !rights.empty() && dm::LeadingNumber(rights) == 0;
}

// The names as a message lists them: "user JSMITH, group LEGAL".
std::string NameList(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

std::vector<Trustee> ReadTrustees(core::Program& p, int32_t folder, int32_t sourceFolder, bool& docsUsers) {
    std::vector<Trustee> trustees;
    p.RunSQL(
        "SELECT DISTINCT P.USER_ID, G.GROUP_ID, S.ACCESSRIGHTS FROM [OWNER].SECURITY S LEFT OUTER JOIN "
        "[OWNER].PEOPLE P ON P.SYSTEM_ID = S.PERSONORGROUP LEFT OUTER JOIN [OWNER].GROUPS G ON G.SYSTEM_ID = "
        "S.PERSONORGROUP LEFT OUTER JOIN [OWNER].PROFILE R  ON R.SYSTEM_ID = S.THING WHERE R.DOCNUMBER = " +
        std::to_string(sourceFolder));
    auto& sql = core::Require(p.session.PcdSql);
    const int32_t rows = sql->RowCount();
    if (rows == 0) {
        sql->ReleaseResults();
        return trustees;
    }
    do {
        const std::string user = sql->ColumnValue(1).ToText();
        const std::string group = sql->ColumnValue(2).ToText();
        if (user.empty() && group.empty()) continue;
        Trustee t;
        t.rights = sql->ColumnValue(3).ToText();
        if (!user.empty()) {
            t.name = user;
            p.WriteLog("User " + t.name + " will be added with rights " + t.rights);
        }
        if (!group.empty()) {
            t.name = group;
            t.group = true;
            p.WriteLog("Group " + t.name + " will be added with rights " + t.rights);
            if (group == "DOCS_USERS") docsUsers = true;
        }
        trustees.push_back(std::move(t));
    } while (sql->NextRow() && static_cast<int32_t>(trustees.size()) < rows);
    sql->ReleaseResults();
    p.Separator();
    p.WriteLog(std::to_string(trustees.size()) + " Trustee(s) found for Folder #" + std::to_string(folder));
    p.Separator();
    return trustees;
}

}  // namespace

bool CopyFolderTrustees(core::Program& p, const std::string& library, int32_t folder,
                        const std::string& sourceLibrary, int32_t sourceFolder) {
    if (sourceLibrary.empty() || sourceFolder == 0) return false;
    if (!p.ConnectLibrary(sourceLibrary)) return false;

    bool docsUsers = false;
    const std::vector<Trustee> trustees = ReadTrustees(p, folder, sourceFolder, docsUsers);
    const bool sourceOpen = trustees.empty() && IsOpenToEveryone(p, sourceFolder);

    // Every write below belongs to the target library.
    if (!p.ConnectLibrary(library)) return false;

    const size_t count = trustees.size();
    if (sourceOpen || (count == 1 && docsUsers)) {
        MarkNoTrustees(p, folder);
        return false;
    }

    const std::string number = std::to_string(folder);
    const std::string source = "folder #" + std::to_string(sourceFolder) + " in library " + sourceLibrary;
    if (count == 0) {
        p.WriteLog("Warning: The trustees of " + source + " could not be read");
        p.Separator();
    }
    p.ShowStatus("Processing " + std::to_string(count) + " security entries for document " + number);
    p.Separator();
    Run(p, "DELETE FROM [OWNER].SECURITY WHERE THING = " + ProfileSystemId(folder));
    int32_t added = 0;
    std::vector<std::string> notFound;
    for (const auto& t : trustees) {
        const std::string kind = t.group ? "group " : "user ";
        const std::string rights = core::Trim(t.rights);
        if (!IsWholeNumber(rights)) {
            p.WriteLog("Warning: Unable to add " + kind + t.name + " - access rights '" + t.rights +
                       "' are not a number");
            p.Separator();
            continue;
        }
        p.WriteLog("Adding " + kind + t.name);
        p.Separator();
        const std::string name = core::DoubleApostrophes(t.name);
        int32_t rows = 0;
        if (t.group) {
            rows = Run(p, "INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT GR.SYSTEM_ID, " +
                              rights + ", PR.SYSTEM_ID FROM [OWNER].GROUPS GR, [OWNER].PROFILE PR WHERE GR.GROUP_ID = '" +
                              name + "' AND PR.DOCNUMBER = " + number);
        } else {
            rows = Run(p, "INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT PE.SYSTEM_ID, " +
                              rights + ", PR.SYSTEM_ID FROM [OWNER].PEOPLE PE, [OWNER].PROFILE PR WHERE PE.USER_ID = '" +
                              name + "' AND PR.DOCNUMBER = " + number);
        }
        if (rows == 0) notFound.push_back(kind + t.name);
        added += rows;
    }
    if (!notFound.empty()) {
        p.WriteLog("Warning: Trustee(s) of " + source + " not found in library " + library + ": " +
                   NameList(notFound) + " - folder #" + number + " is not opened to them");
        p.Separator();
    }

    // A copy is never open to more people than its source: with none of the
    // source's trustees it stays restricted, to the user who made it, who
    // can then manage it.
    if (added == 0) {
        const std::string user = core::Require(p.session.ConnectedLibrary)->UserId();
        added = Run(p, "INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT PE.SYSTEM_ID, 255, "
                       "PR.SYSTEM_ID FROM [OWNER].PEOPLE PE, [OWNER].PROFILE PR WHERE PE.USER_ID = '" +
                           core::DoubleApostrophes(user) + "' AND PR.DOCNUMBER = " + number);
        if (added == 0) {
            p.WriteLog("Error: No trustee of " + source + " could be added in library " + library + " and " + user +
                       " could not be made one - folder #" + number + " stays restricted without trustees");
        } else {
            p.WriteLog("Warning: No trustee of " + source + " could be added in library " + library + " - folder #" +
                       number + " is restricted to " + user);
        }
        p.Separator();
    }
    Run(p, "UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = 1 WHERE DOCNUMBER = " + number);

    // Reading the result back only informs the log.
    auto& s = p.session;
    if (s.CurrentProfile) {
        core::PassOver([&] { s.CurrentProfile->Close(); });
        s.CurrentProfile.reset();
    }
    s.CurrentProfile =
        core::PassOver([&] { return core::Require(s.ConnectedLibrary)->GetProfile(folder); }).value_or(nullptr);
    if (s.CurrentProfile) {
        core::PassOver([&] {
            p.WriteLog(std::to_string(core::Require(s.CurrentProfile->Trustees())->Count()) +
                       " Trustee(s) added for document " + number);
        });
    }
    return true;
}

}  // namespace folders
