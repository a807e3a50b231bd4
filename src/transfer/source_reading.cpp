// Reading the source document: what the target needs and the DM client does
// not carry over by itself (columns, earlier partial copies, e-mail, date
// and people columns, trustees).

#include <algorithm>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/transfer.h"

namespace transfer {

bool DocumentTransfer::ReadSourceColumns() {
    auto& profile = p_.session.CurrentProfile;
    auto columns = profile->Columns();
    v_.ColumnCount = columns ? columns->Count() : 0;
    v_.ColumnValues.assign(static_cast<size_t>(std::max(v_.ColumnCount, 0)) + 1, ProfileColumnValue{});
    v_.SourceFormName = profile->FormName();
    auto library = profile->Library();
    p_.WriteLog("Fetching " + Num(v_.ColumnCount) + " profile column(s) for document #" + Num(profile->DocNumber()) +
                " in library " + (library ? library->Name() : ""));
    p_.Separator();
    if (v_.ColumnCount <= 0) {
        Fail("Error: Unable to determine profile column values");
        return false;
    }
    const bool appendName = p_.Options().AppendLibraryName();
    for (int32_t i = 1; i <= v_.ColumnCount; ++i) {
        std::string name;
        dm::Variant value;
        bool haveValue = false;
        try {
            auto column = columns->Item(i);
            name = column->Name();
            if (column->ReadOnly().ToBool() || core::Trim(name).empty()) continue;
            auto read = [&]() -> const dm::Variant& {
                if (!haveValue) {
                    value = column->Value();
                    haveValue = true;
                }
                return value;
            };
            if (core::Upper(name).substr(0, 4) != "FORM") {
                auto& entry = v_.ColumnValues[static_cast<size_t>(i)];
                entry.Name = name;
                entry.Value = read();
                if (appendName && name == "DOCNAME") {
                    entry.Value = core::Trim(read().ToText()) + " - " + v_.TargetLibrary;
                }
                p_.WriteLog("Column " + entry.Name + " Value is " + entry.Value.ToText());
            }
            if (name == "APP_ID") {
                v_.SourceApplication = read();
            } else if (name == "SECURITY") {
                v_.SourceSecurityValue = read().ToDouble();
            } else if (name == "STORAGETYPE" || name == "STORAGE") {
                v_.SourceStorageType = read();
            } else if (name == "MATTER" || name == "MATTER_ID") {
                v_.SourceMatterId = read().ToText();
            } else if (name == "CLIENT" || name == "CLIENT_ID") {
                v_.SourceClientId = read().ToText();
            } else if (name == "DOCNAME") {
                v_.SourceName = read();
                v_.DocumentName = appendName ? dm::Variant(core::Trim(read().ToText()) + " - " + v_.TargetLibrary)
                                             : read();
            }
        } catch (const dm::DmError&) {
            p_.WriteLog("Error: working with column:");
            p_.WriteLog("Name: " + name);
            p_.WriteLog("Value: " + value.ToText());
            p_.Separator();
        }
    }
    p_.Separator();
    return true;
}

void DocumentTransfer::CountPartialCopies() {
    v_.PartialCopyCount = 0;
    if (!core::Program::HasRight(p_.session.ConnectedLibrary, "DOCSParms.UniqueDocNames")) return;
    const int32_t n = v_.DocNumber;
    p_.WriteLog("Determining whether Document #" + Num(n) + " was partially copied to target library " +
                v_.TargetLibrary);
    p_.Separator();
    p_.RunSQL("SELECT A.REF_DOCUMENT FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL "
              "ON RL.SYSTEM_ID = A.REF_LIBRARY WHERE A.DOCNUMBER = " +
              Num(n) + " AND A.ACTIVITY_TYPE IN (24, 25, 0) AND RL.LIBRARY_NAME = '" +
              core::DoubleApostrophes(v_.TargetLibrary) +
              "' AND A.REF_DOCUMENT IS NOT NULL AND A.REF_DOCUMENT <> 0");
    v_.PartialCopyCount = p_.session.PcdSql->RowCount();
    p_.session.PcdSql->ReleaseResults();
}

void DocumentTransfer::ReadEmailColumns() {
    v_.EmailColumns.assign(9, EmailColumn{});
    if (v_.SourceApplication.ToText() != "MS OUTLOOK") return;
    auto& sql = p_.session.PcdSql;
    p_.WriteLog("Reading EMail columns");
    p_.Separator();
    p_.RunSQL("SELECT EMAIL_RECEIVED, EMAIL_SENT, PD_ADDRESSEE, PD_EMAIL_BCC, PD_EMAIL_CC, PD_EMAIL_DATE, "
              "PD_ORGANIZATION, PD_ORIGINATOR FROM [OWNER].PROFILE WHERE DOCNUMBER = " +
              Num(v_.DocNumber));
    if (sql->RowCount() != 0) {
        v_.IsEmailDocument = true;
        const int32_t count = sql->ColumnCount();
        v_.EmailColumns.assign(static_cast<size_t>(count) + 1, EmailColumn{});
        for (int32_t k = 1; k <= count; ++k) {
            v_.EmailColumns[static_cast<size_t>(k)] = {sql->ColumnName(k), sql->ColumnValue(k).ToText()};
        }
    }
    sql->ReleaseResults();
}

void DocumentTransfer::ReadDateColumns() {
    auto& sql = p_.session.PcdSql;
    v_.DateColumnList.clear();
    v_.DateColumns.clear();
    p_.RunSQL("SELECT DISTINCT COLNAME, CMSTYPE FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'PROFILE' AND "
              "CMSTYPE IN (1, 2, 8) ORDER BY COLNAME");
    if (sql->RowCount() > 0) {
        do {
            const std::string name = sql->ColumnValue(1).ToText();
            if (name.empty()) continue;
            if (!v_.DateColumnList.empty()) v_.DateColumnList += ", ";
            v_.DateColumnList += name;
            v_.DateColumns.push_back({name, sql->ColumnValue(2).ToText(), ""});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    if (v_.DateColumns.empty()) return;

    p_.RunSQL("SELECT " + v_.DateColumnList + " FROM [OWNER].PROFILE WHERE DOCNUMBER = " + Num(v_.DocNumber));
    for (size_t k = 0; k < v_.DateColumns.size(); ++k) {
        const int32_t column = static_cast<int32_t>(k) + 1;
        const std::string value = sql->ColumnValue(column).ToText();
        p_.WriteLog("Date column " + sql->ColumnName(column) + " value is " + value);
        v_.DateColumns[k].Value = value;
    }
    sql->ReleaseResults();
    p_.Separator();
}

void DocumentTransfer::ReadPeopleLinks() {
    auto& sql = p_.session.PcdSql;
    char alias = 'A';
    std::string selectList, fromList, joinList;
    v_.PeopleLinks.clear();
    p_.WriteLog("Fetching all People links from profile");
    p_.Separator();
    p_.RunSQL("SELECT DISTINCT COLNAME, FCOLNAME FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'PROFILE' AND "
              "FTBNAME = 'PEOPLE'");
    if (sql->RowCount() > 0) {
        do {
            const std::string column = sql->ColumnValue(1).ToText();
            if (column.empty()) continue;
            const std::string foreign = sql->ColumnValue(2).ToText();
            ++alias;
            const std::string a(1, alias);
            selectList += (selectList.empty() ? "" : ", ") + a + ".USER_ID";
            fromList += (fromList.empty() ? "" : ", ") + std::string("[OWNER].PEOPLE ") + a;
            joinList += (joinList.empty() ? "" : " AND ") + a + "." + foreign + " = A." + column;
            v_.PeopleLinks.push_back({column, "", ""});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    if (v_.PeopleLinks.empty()) return;

    p_.RunSQL("SELECT " + selectList + " FROM [OWNER].PROFILE A, " + fromList + " WHERE DOCNUMBER = " +
              Num(v_.DocNumber) + " AND " + joinList);
    const int32_t count = std::min<int32_t>(sql->ColumnCount(), static_cast<int32_t>(v_.PeopleLinks.size()));
    for (int32_t k = 1; k <= count; ++k) {
        auto& link = v_.PeopleLinks[static_cast<size_t>(k - 1)];
        link.UserId = sql->ColumnValue(k).ToText();
        p_.WriteLog(link.ColumnName + " is " + link.UserId);
    }
    sql->ReleaseResults();
    p_.Separator();
}

// A trustee from the current result row (USER_ID, GROUP_ID, ACCESSRIGHTS).
void DocumentTransfer::AddTrustee() {
    auto& sql = p_.session.PcdSql;
    TrusteeRow row;
    row.Rights = sql->ColumnValue(3).ToText();
    const std::string user = sql->ColumnValue(1).ToText();
    const std::string group = sql->ColumnValue(2).ToText();
    if (!user.empty()) {
        row.TrusteeId = user;
        row.Kind = "0";
        p_.WriteLog("User " + row.TrusteeId + " will be added with rights " + row.Rights);
    }
    if (!group.empty()) {
        row.TrusteeId = group;
        row.Kind = "1";
        p_.WriteLog("Group " + row.TrusteeId + " will be added with rights " + row.Rights);
    }
    v_.TrusteeRows.push_back(row);
}

bool DocumentTransfer::ReadTrustees() {
    auto& sql = p_.session.PcdSql;
    const std::string n = Num(v_.DocNumber);
    v_.TrusteeRows.clear();
    bool done = false;
    if (!p_.session.CurrentProfile->Trustees() || v_.SourceSecurityValue == 0) {
        p_.WriteLog("NOT Getting Security for Document #" + n);
        p_.Separator();
    } else {
        p_.ShowStatus("Fetching Trustees for Document #" + n);
        p_.Separator();
        p_.RunSQL("SELECT DISTINCT P.USER_ID, G.GROUP_ID, S.ACCESSRIGHTS FROM [OWNER].SECURITY S "
                  "LEFT OUTER JOIN [OWNER].PEOPLE P ON P.SYSTEM_ID = S.PERSONORGROUP "
                  "LEFT OUTER JOIN [OWNER].GROUPS G ON G.SYSTEM_ID = S.PERSONORGROUP "
                  "LEFT OUTER JOIN [OWNER].PROFILE R  ON R.SYSTEM_ID = S.THING WHERE R.DOCNUMBER = " +
                  n);
        if (sql->RowCount() != 0) {
            do {
                if (!sql->ColumnValue(1).IsBlank() || !sql->ColumnValue(2).IsBlank()) AddTrustee();
            } while (sql->NextRow());
            sql->ReleaseResults();
            p_.Separator();
            p_.WriteLog(Num(static_cast<int64_t>(v_.TrusteeRows.size())) + " Trustee(s) found for Document #" + n);
            p_.Separator();
            done = !v_.TrusteeRows.empty();
        } else {
            sql->ReleaseResults();
        }
    }
    if (!done) {
        if (Cancelled()) return false;
        if (p_.facts.HasSecurityLink) {
            p_.RunSQL("SELECT SYSTEM_ID, SECURITY_LINK FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
            const int32_t systemId = sql->ColumnValue(1).ToLong();
            const int32_t linkItem = sql->ColumnValue(2).ToLong();
            sql->ReleaseResults();
            if (linkItem != 0 && linkItem != systemId) {
                p_.ShowStatus("Fetching Trustees for Security Link item #" + Num(linkItem));
                p_.Separator();
                p_.RunSQL("SELECT DISTINCT P.USER_ID, G.GROUP_ID, S.ACCESSRIGHTS FROM [OWNER].SECURITY S "
                          "LEFT OUTER JOIN [OWNER].PEOPLE P ON P.SYSTEM_ID = S.PERSONORGROUP "
                          "LEFT OUTER JOIN [OWNER].GROUPS G ON G.SYSTEM_ID = S.PERSONORGROUP WHERE S.THING = " +
                          Num(linkItem));
                if (sql->RowCount() != 0) {
                    do {
                        if (!sql->ColumnValue(1).IsBlank() || !sql->ColumnValue(2).IsBlank()) AddTrustee();
                    } while (sql->NextRow());
                }
                sql->ReleaseResults();
                p_.Separator();
                p_.WriteLog(Num(static_cast<int64_t>(v_.TrusteeRows.size())) +
                            " Trustee(s) found for Security Link item #" + Num(linkItem));
                p_.Separator();
            }
        }
    }
    // A secured document whose trustees could not be read must not reach
    // the target open to everyone.
    if (v_.SourceSecurityValue != 0 && v_.TrusteeRows.empty()) {
        Fail("Error: Unable to read the trustees of secured Document #" + n + " - cannot continue");
        return false;
    }
    return true;
}

}  // namespace transfer
