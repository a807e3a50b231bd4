// What the DM client does not carry over and SQL puts right in the target:
// the trustees, the people and date columns, the disabled lookup entries;
// then the read-only marks of target and source and the closing line.

#include "core/date_text.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/date_values.h"
#include "transfer/transfer.h"

namespace transfer {

namespace {

bool IsSet(const std::string& disabled) { return disabled == "1" || disabled == "Y"; }

}  // namespace

bool DocumentTransfer::WriteTargetSecurity() {
    auto& s = p_.session;
    const std::string m = Num(v_.TargetDocNumber);
    auto closeProfile = [&] {
        if (s.CurrentProfile) {
            s.CurrentProfile->Close();
            s.CurrentProfile.reset();
        }
    };
    // A refused statement would leave the copy open to everyone or closed
    // to a trustee of its source.
    auto write = [&](const std::string& statement) { return WriteOrFail(statement, "the security of the copy"); };
    closeProfile();
    const std::string clear = "DELETE FROM [OWNER].SECURITY WHERE THING = (SELECT SYSTEM_ID FROM [OWNER].PROFILE "
                              "WHERE DOCNUMBER = " + m + ")";
    if (v_.TrusteeRows.empty() || v_.SourceSecurityValue == 0) {
        if (!write("UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = 0 WHERE DOCNUMBER = " + m) || !write(clear) ||
            !write("INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT 0, 255, SYSTEM_ID FROM "
                   "[OWNER].PROFILE WHERE DOCNUMBER = " + m)) {
            return false;
        }
    } else {
        const std::string libName = s.ConnectedLibrary->Name();
        p_.ShowStatus("Processing " + Num(static_cast<int64_t>(v_.TrusteeRows.size())) +
                      " security entries for document #" + m + " in library " + libName);
        p_.Separator();
        if (!write("UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = 1 WHERE DOCNUMBER = " + m) || !write(clear)) {
            return false;
        }
        for (const auto& trustee : v_.TrusteeRows) {
            const std::string id = core::StripQuotes(trustee.TrusteeId);
            const std::string rights = dm::FormatWhole(dm::LeadingNumber(trustee.Rights));
            const bool user = dm::LeadingNumber(trustee.Kind) == 0;
            p_.WriteLog((user ? "Adding user " : "Adding group ") + trustee.TrusteeId);
            p_.Separator();
            const auto added =
                user ? Write("INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT PE.SYSTEM_ID, " +
                             rights + ", PR.SYSTEM_ID FROM [OWNER].PEOPLE PE, [OWNER].PROFILE PR WHERE PE.USER_ID = '" +
                             id + "' AND PR.DOCNUMBER = " + m)
                     : Write("INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT GR.SYSTEM_ID, " +
                             rights +
                             ", PR.SYSTEM_ID FROM [OWNER].GROUPS GR, [OWNER].PROFILE PR WHERE GR.GROUP_ID = '" + id +
                             "' AND PR.DOCNUMBER = " + m);
            if (!added) {
                Refused(std::string("the access of ") + (user ? "user " : "group ") + trustee.TrusteeId +
                        " to the copy");
                return false;
            }
            if (*added < 1) {
                p_.WriteLog(std::string("Warning: ") + (user ? "User " : "Group ") + trustee.TrusteeId +
                            " is not known in library " + libName + " - no access granted to it for document #" + m);
                p_.Separator();
            }
        }
        if (p_.facts.HasSecurityLink &&
            !write("UPDATE [OWNER].PROFILE SET SECURITY_LINK = SYSTEM_ID WHERE DOCNUMBER = " + m)) {
            return false;
        }
        closeProfile();
        p_.WriteLog("Opening Profile Object for document #" + m + " in library " + libName);
        s.CurrentProfile = s.ConnectedLibrary->GetProfile(v_.TargetDocNumber);
        p_.Separator();
        if (s.CurrentProfile) {
            if (auto trustees = s.CurrentProfile->Trustees()) {
                p_.WriteLog(Num(trustees->Count()) + " Trustees added for Document #" + m);
            }
        }
    }
    closeProfile();
    p_.Separator();
    return true;
}

bool DocumentTransfer::WritePeopleColumns() {
    if (v_.PeopleLinks.empty()) return true;
    if (!Connect(v_.TargetLibrary)) return false;
    std::string statement;
    for (const auto& link : v_.PeopleLinks) {
        if (link.ColumnName.empty() || link.UserId.empty()) continue;
        const std::string id = core::StripQuotes(link.UserId);
        // A user the target does not know leaves the column as the DM wrote it.
        if (Scalar("SELECT COUNT(*) FROM [OWNER].PEOPLE WHERE USER_ID = '" + id + "'").ToLong() == 0) {
            p_.WriteLog("Warning: " + link.UserId + " is not a user of library " + v_.TargetLibrary + " - " +
                        link.ColumnName + " of document #" + Num(v_.TargetDocNumber) + " keeps its value");
            p_.Separator();
            continue;
        }
        statement += statement.empty() ? "UPDATE [OWNER].PROFILE SET " : ", ";
        statement += link.ColumnName + " = (SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '" + id + "')";
    }
    if (statement.empty()) return true;
    p_.WriteLog("Processing additional user values");
    p_.Separator();
    return WriteOrFail(statement + " WHERE DOCNUMBER = " + Num(v_.TargetDocNumber), "the people columns of the copy");
}

void DocumentTransfer::RedisableLookupEntries() {
    if (!v_.LookupsEnabled) return;
    auto& sql = p_.session.PcdSql;
    auto run = [&](const std::string& statement) {
        p_.RunSQL(statement);
        sql->ReleaseResults();
    };
    for (const auto& link : v_.PeopleLinks) {
        if (!IsSet(link.TargetDisabled)) continue;
        run("UPDATE [OWNER].PEOPLE SET DISABLED = '1' WHERE USER_ID = '" + core::StripQuotes(link.UserId) + "'");
    }
    if (!v_.SourceClientId.empty() && !v_.SourceMatterId.empty()) {
        const std::string client = core::StripQuotes(v_.SourceClientId);
        if (IsSet(v_.TargetClientDisabled)) {
            run("UPDATE [OWNER].CLIENT SET DISABLED = '1' WHERE CLIENT_ID = '" + client + "'");
        }
        if (IsSet(v_.TargetMatterDisabled)) {
            run("UPDATE [OWNER].MATTER SET DISABLED = '1' WHERE MATTER_ID = '" + core::StripQuotes(v_.SourceMatterId) +
                "' AND CLIENT_ID = (SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE CLIENT_ID = '" + client + "')");
        }
    }
    v_.LookupsEnabled = false;
}

bool DocumentTransfer::WriteDateColumns() {
    if (v_.DateColumnList.empty() || v_.DateColumns.empty()) return true;
    p_.WriteLog("Processing date values");
    p_.Separator();
    if (!Connect(v_.TargetLibrary)) return false;
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    std::string statement;
    for (const auto& column : v_.DateColumns) {
        if (column.Value.empty()) continue;
        statement += statement.empty() ? "UPDATE [OWNER].PROFILE SET " : ", ";
        statement += column.ColumnName + " = " + SqlDate(oracle, column.Value);
    }
    if (statement.empty()) return true;
    return WriteOrFail(statement + " WHERE DOCNUMBER = " + Num(v_.TargetDocNumber), "the dates of the copy");
}

bool DocumentTransfer::MarkTargetReadOnly() {
    if (!p_.Options().MakeTargetReadOnly() && !v_.SourceReadOnly) return true;
    const std::string m = Num(v_.TargetDocNumber);
    p_.WriteLog("Making target document #" + m + " readonly in library " + p_.ConnectedLibraryName());
    p_.Separator();
    const std::string date = v_.SourceReadOnlyDate.empty() ? NowText() : v_.SourceReadOnlyDate;
    return WriteOrFail("UPDATE [OWNER].PROFILE SET READONLY = 'Y', STATUS = 19, PD_OBJ_TYPE = '1', READONLY_DATE = " +
                           SqlDate(core::IsOracle(p_.facts.DatabaseEngine), date) + " WHERE DOCNUMBER = " + m,
                       "the read-only mark of the copy");
}

// The source of a Transfer is marked transferred; the source of a Copy is
// marked read-only when asked to or when it was read-only already.
bool DocumentTransfer::MarkSourceReadOnly() {
    const auto options = p_.Options();
    const bool transfer = options.Transfer();
    if (options.Move()) return true;
    if (!transfer && !options.MakeSourceReadOnly() && !v_.SourceReadOnly) return true;
    if (!Connect(v_.SourceLibrary)) return false;
    const std::string n = Num(v_.DocNumber);
    p_.WriteLog("Making sure that source document #" + n + " is readonly in library " + p_.ConnectedLibraryName());
    p_.Separator();
    const std::string date = v_.SourceReadOnlyDate.empty() ? NowText() : v_.SourceReadOnlyDate;
    v_.SourceMarked = true;
    if (WriteOrFail("UPDATE [OWNER].PROFILE SET READONLY = 'Y', STATUS = " + std::string(transfer ? "4" : "19") +
                        ", PD_OBJ_TYPE = '1', READONLY_DATE = " +
                        SqlDate(core::IsOracle(p_.facts.DatabaseEngine), date) + " WHERE DOCNUMBER = " + n,
                    "the read-only mark of the source")) {
        return true;
    }
    // Unmarked, the source of a Transfer would stay open to edits as if it
    // had not gone: it keeps its status and the document is tried again.
    v_.SourceMarked = false;
    return false;
}

void DocumentTransfer::FinishTransfer() {
    auto now = platform::ToLocal(p_.platform.clock.Now());
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    p_.WriteLog("Finished processing document #" + Num(v_.DocNumber) + " on " + date + " at " + core::TimeAmPm(now));
    p_.Separator();
    v_.TransferResult = -1;
}

}  // namespace transfer
