// "Process metadata only": no file is copied; the new document's version rows
// name the source's files where they lie.

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "transfer/date_values.h"
#include "transfer/transfer.h"

namespace transfer {

namespace {

std::string DateValue(bool oracle, const dm::Variant& value) { return SqlDate(oracle, StatementDate(value)); }

}  // namespace

bool DocumentTransfer::AddMetadataOnlyVersions() {
    auto& s = p_.session;
    auto& sql = s.PcdSql;
    const std::string m = Num(v_.TargetDocNumber);
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool editTime = p_.facts.HasVersionEditTime;

    p_.WriteLog("Processing metadata only for document #" + m);
    p_.Separator();
    if (s.CurrentProfile) {
        s.CurrentProfile->Close();
        s.CurrentProfile.reset();
    }

    // The placeholder version the DM made goes, with its file.
    p_.RunSQL("SELECT PR.DOCSERVER_LOC, PR.PATH, CO.PATH FROM [OWNER].COMPONENTS CO LEFT OUTER JOIN "
              "[OWNER].PROFILE PR ON PR.DOCNUMBER = CO.DOCNUMBER WHERE CO.DOCNUMBER = " +
              m);
    const std::string placeholder =
        sql->RowCount() > 0 && !sql->ColumnValue(3).IsBlank()
            ? sql->ColumnValue(1).ToText() + sql->ColumnValue(2).ToText() + sql->ColumnValue(3).ToText()
            : "";
    sql->ReleaseResults();
    if (!placeholder.empty()) p_.RemoveFile(placeholder, false);
    // Left standing, the placeholder's rows would name its removed file, and
    // a profile without the source's location every file wrongly.
    const std::string placeholderRemoval = "the removal of the copy's placeholder version";
    if (!WriteOrFail("DELETE FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + m, placeholderRemoval) ||
        !WriteOrFail("DELETE FROM [OWNER].COMPONENTS WHERE DOCNUMBER = " + m, placeholderRemoval) ||
        !WriteOrFail("UPDATE [OWNER].PROFILE SET DOCSERVER_LOC = '" + core::StripQuotes(v_.SourceDocServer) +
                         "', PATH = '" + core::StripQuotes(v_.SourceDocPath) + "' WHERE DOCNUMBER = " + m,
                     "the file location of the copy")) {
        return false;
    }

    // A person the target does not know is written as the program's user,
    // so the version is not lost with its file row left behind.
    const std::string ownUser = s.ConnectedLibrary->UserId();
    auto knownUser = [&](const std::string& userId) {
        if (!userId.empty() &&
            Scalar("SELECT COUNT(*) FROM [OWNER].PEOPLE WHERE USER_ID = '" + core::StripQuotes(userId) + "'")
                    .ToLong() > 0) {
            return userId;
        }
        p_.WriteLog("Warning: user '" + userId + "' is not known in library " + v_.TargetLibrary + " - " + ownUser +
                    " stands in for the version's people");
        return ownUser;
    };

    int32_t written = 0;
    for (const auto& row : v_.VersionRows) {
        int32_t key = sql->GetNextKey(p_.facts.SqlOwner + ".VERSIONS");
        if (key <= 1) key = sql->GetNextKey("VERSIONS");
        const std::string id = Num(key);
        const std::string author = knownUser(row.AuthorId.ToText());
        const std::string typist = knownUser(row.TypistId.ToText());
        std::string statement =
            "INSERT INTO [OWNER].VERSIONS (DOCNUMBER, VERSION_ID, VERSION, SUBVERSION, VERSION_LABEL, STATUS, "
            "COMMENTS, FORCE_VERSION_RO, PREV_STATUS, AUTHOR, TYPIST, PUBLISH_DATE, READONLY_DATE, LASTEDITDATE" +
            std::string(editTime ? ", LASTEDITTIME" : "") + ") SELECT " + m + ", " + id + ", " +
            dm::FormatWhole(dm::LeadingNumber(row.VersionNumber.ToText())) + ", '" +
            core::StripQuotes(row.SubVersion.ToText()) + "', '" + core::StripQuotes(row.VersionLabel.ToText()) +
            "', " + dm::FormatWhole(dm::LeadingNumber(row.Status.ToText())) + ", '" +
            core::StripQuotes(row.Comments.ToText()) + "', '" + row.ForceReadOnly + "', " + row.PrevStatus +
            ", A.SYSTEM_ID, T.SYSTEM_ID, " + DateValue(oracle, row.PublishDate) + ", " +
            DateValue(oracle, row.ReadOnlyDate) + ", " + DateValue(oracle, row.LastEditDate);
        if (editTime) statement += ", " + DateValue(oracle, row.LastEditTime);
        statement += " FROM [OWNER].PEOPLE A, [OWNER].PEOPLE T WHERE A.USER_ID = '" + core::StripQuotes(author) +
                     "' AND T.USER_ID = '" + core::StripQuotes(typist) + "'";
        const auto versionRows = Write(statement);
        if (!versionRows || *versionRows < 1) {
            p_.WriteLog("Error: Version " + row.VersionLabel.ToText() + " of document #" + Num(v_.DocNumber) +
                        " was NOT written to document #" + m + " in library " + v_.TargetLibrary);
            p_.Separator();
            ++v_.VersionsNotProcessed;
            continue;
        }
        // A version without its file row has no content.
        const auto fileRows = Write("INSERT INTO [OWNER].COMPONENTS (DOCNUMBER, VERSION_ID, LOCKED, FILE_SIZE, PATH, "
                                    "COMPTYPE, ALTERNATE_PATH) VALUES(" +
                                    m + ", " + id + ", '*', 0, '" + core::StripQuotes(row.FileName) + "', '', '')");
        if (!fileRows || *fileRows < 1) {
            Refused("the file row of version " + row.VersionLabel.ToText() + " of the copy");
            return false;
        }
        ++written;
    }
    v_.VersionsWritten = written;
    return true;
}

}  // namespace transfer
