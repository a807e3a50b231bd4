// The document's history: fetched from the source, copied into the target,
// the note of versions left out, and the entries that record the transfer
// in both libraries.

#include "core/activity_marks.h"
#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/date_values.h"
#include "transfer/activity_log_entry.h"
#include "transfer/statement_template.h"
#include "transfer/transfer.h"

namespace transfer {

bool DocumentTransfer::FetchActivityLog() {
    const auto options = p_.Options();
    auto& sql = p_.session.PcdSql;
    const std::string n = Num(v_.DocNumber);
    if (Cancelled()) return false;
    v_.ActivityColumns.clear();
    v_.ActivityRows.clear();
    if (!options.CopyActivityLog()) {
        p_.WriteLog("NOT Getting Activitylog for Document #" + n);
        return true;
    }
    p_.ShowStatus("Fetching Activitylog for Document #" + n);
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool startTime = p_.facts.HasActivityStartTime;
    const double limit = options.MaxActivityRows();
    const std::string q = oracle ? "" : "'";
    std::string statement = "SELECT ";
    if (!oracle && limit > 0) statement += " TOP " + dm::FormatWhole(limit) + " ";
    statement += "B.USER_ID AS " + q + "AUTHOR" + q + ", C.USER_ID AS " + q + "TYPIST" + q +
                 ", D.APPLICATION, E.LIBRARY_NAME, A.ACTIVITY_DESC, A.ACTIVITY_POSTED, A.ACTIVITY_TYPE, A.BILLABLE, "
                 "A.CR_IN_USE, A.ELAPSED_TIME, A.KEYSTROKES, A.PAGES, A.REF_DOCUMENT, A.TYPE_TIME, A.VERSION_LABEL, "
                 "A.BILLED_ON, A.START_DATE" +
                 std::string(startTime ? ", A.START_TIME" : ", A.START_DATE") +
                 " FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN [OWNER].PEOPLE B ON B.SYSTEM_ID = A.AUTHOR "
                 "LEFT OUTER JOIN [OWNER].PEOPLE C ON C.SYSTEM_ID = A.TYPIST "
                 "LEFT OUTER JOIN [OWNER].APPS D ON D.SYSTEM_ID = A.APPLICATION "
                 "LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES E ON E.SYSTEM_ID = A.REF_LIBRARY WHERE A.DOCNUMBER = " +
                 n;
    if (oracle && limit > 0) statement += " AND ROWNUM <= " + dm::FormatWhole(limit);
    // The transfer's own entries stay behind; every other row goes along,
    // also one without a type or a description.
    if (!options.KeepAllAudits()) {
        statement += " AND (A.ACTIVITY_TYPE IS NULL OR A.ACTIVITY_TYPE NOT IN (24, 25)) AND "
                     "(A.ACTIVITY_DESC IS NULL OR UPPER(A.ACTIVITY_DESC) NOT LIKE 'COPIED TO%')";
    }
    statement += " ORDER BY A.START_DATE" + std::string(startTime ? ", A.START_TIME" : "");
    p_.RunSQL(statement);
    if (sql->RowCount() == 0) {
        sql->ReleaseResults();
        p_.WriteLog("There are no Activitylog entries to process");
    } else {
        const int32_t columns = sql->ColumnCount();
        for (int32_t c = 1; c <= columns; ++c) v_.ActivityColumns.push_back(sql->ColumnName(c));
        do {
            std::vector<dm::Variant> row;
            for (int32_t c = 1; c <= columns; ++c) row.push_back(sql->ColumnValue(c));
            v_.ActivityRows.push_back(std::move(row));
        } while (sql->NextRow());
        sql->ReleaseResults();
        p_.WriteLog(Num(static_cast<int64_t>(v_.ActivityRows.size())) +
                    " ActivityLog item(s) will be processed for Document #" + n);
    }
    return !Cancelled();
}

bool DocumentTransfer::CopyActivityLog() {
    auto& sql = p_.session.PcdSql;
    const std::string m = Num(v_.TargetDocNumber);
    if (v_.ActivityRows.empty() || !p_.Options().CopyActivityLog()) {
        p_.WriteLog("NOT processing Activitylog entries");
        return true;
    }
    p_.ShowStatus("Processing " + Num(static_cast<int64_t>(v_.ActivityRows.size())) +
                  " ActivityLog entries for Document #" + m);
    // Every row of the new document but its mark.
    p_.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + m +
              (v_.ArrivalMarkId != 0 ? " AND SYSTEM_ID <> " + Num(v_.ArrivalMarkId) : ""));
    sql->ReleaseResults();

    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool startTime = p_.facts.HasActivityStartTime;
    const std::string libName = p_.ConnectedLibraryName();
    struct Lookup {
        const char* name;
        const char* column;
        const char* value;
        const char* from;
        const char* where;
    };
    static const Lookup lookups[] = {
        {"AUTHOR", "AUTHOR", "AU.SYSTEM_ID", "[OWNER].PEOPLE AU", "AU.USER_ID = '"},
        {"TYPIST", "TYPIST", "TY.SYSTEM_ID", "[OWNER].PEOPLE TY", "TY.USER_ID = '"},
        {"APPLICATION", "APPLICATION", "AP.SYSTEM_ID", "[OWNER].APPS AP", "AP.APPLICATION = '"},
        {"LIBRARY_NAME", "REF_LIBRARY", "RL.SYSTEM_ID", "[OWNER].REMOTE_LIBRARIES RL", "RL.LIBRARY_NAME = '"},
    };
    // Filled with the whole date expression, NULL for a row without one.
    auto date = [](const char* placeholder) { return std::string("#") + placeholder + "#"; };
    auto isDate = [](const std::string& name) {
        return name == "BILLED_ON" || name == "START_DATE" || name == "START_TIME";
    };

    for (const auto& row : v_.ActivityRows) {
        p_.WriteLog("Obtaining a System_ID for inserting a new row into library " + libName);
        const int32_t systemId = sql->GetNextKey("SYSTEMKEY");
        const std::string key = Num(systemId);
        v_.CopiedActivityKeys.insert(systemId);
        std::string columnList =
            "(SYSTEM_ID, DOCNUMBER, VERSION_LABEL, ACTIVITY_TYPE, ACTIVITY_DESC, ACTIVITY_POSTED, BILLABLE, "
            "CR_IN_USE, ELAPSED_TIME, KEYSTROKES, PAGES, REF_DOCUMENT, TYPE_TIME, BILLED_ON, START_DATE" +
            std::string(startTime ? ", START_TIME" : "");
        std::string valueText = "SELECT " + key + ", " + m +
                                ", '#VERSION_LABEL#', #ACTIVITY_TYPE#, '#ACTIVITY_DESC#', '#ACTIVITY_POSTED#', "
                                "'#BILLABLE#', '#CR_IN_USE#', #ELAPSED_TIME#, #KEYSTROKES#, #PAGES#, #REF_DOCUMENT#, "
                                "#TYPE_TIME#, " +
                                date("BILLED_ON") + ", " + date("START_DATE");
        if (startTime) valueText += ", " + date("START_TIME") + (oracle ? "" : " ");
        StatementTemplate values(valueText);
        std::string extraValues, fromList, whereList;

        for (size_t c = 0; c < v_.ActivityColumns.size() && c < row.size(); ++c) {
            const std::string name = core::Trim(v_.ActivityColumns[c]);
            const std::string value = core::StripQuotes(row[c].ToText());
            if (values.Has(name)) {
                if (isDate(name)) values.Fill(name, SqlDate(oracle, value));
                else values.Fill(name, value.empty() && !values.Quoted(name) ? "0" : value);
                continue;
            }
            if (value.empty()) continue;
            for (const auto& lookup : lookups) {
                if (name != lookup.name) continue;
                columnList += std::string(", ") + lookup.column;
                extraValues += std::string(", ") + lookup.value;
                fromList += (fromList.empty() ? "" : ", ") + std::string(lookup.from);
                whereList += (whereList.empty() ? "" : " AND ") + std::string(lookup.where) + value + "'";
            }
        }
        if (fromList.empty() && whereList.empty()) continue;
        // A row whose people or application the target does not know
        // writes nothing and stays behind; a refused one is history lost.
        if (!WriteOrFail("INSERT INTO [OWNER].ACTIVITYLOG " + columnList + ")  " + values.Text() + extraValues +
                             " FROM " + fromList + " WHERE " + whereList,
                         "an Activitylog entry of the copy")) {
            return false;
        }
    }
    return true;
}

void DocumentTransfer::NoteSkippedVersions() {
    if (v_.VersionsNotProcessed == 0) return;
    auto& sql = p_.session.PcdSql;
    const std::string m = Num(v_.TargetDocNumber);
    const std::string count = Num(v_.VersionsNotProcessed);
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool startTime = p_.facts.HasActivityStartTime;
    p_.WriteLog("Note: " + count + " version(s) NOT processed for target document #" + m + ".");
    p_.WriteLog("Obtaining a System_ID for inserting a new Activitylog row into library " + p_.ConnectedLibraryName());
    const std::string key = Num(sql->GetNextKey("SYSTEMKEY"));
    sql->ReleaseResults();
    const std::string now = oracle ? "SYSDATE" : "GETUTCDATE()";
    p_.RunSQL("INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, TYPIST, "
              "START_DATE" +
              std::string(startTime ? ", START_TIME" : "") + ") SELECT " + key + ", " + m + ", 0, '" + count +
              " version(s) NOT processed.', SYSTEM_ID, " + now + (startTime ? ", " + now : "") +
              " FROM [OWNER].PEOPLE WHERE USER_ID = '" +
              core::StripQuotes(p_.session.ConnectedLibrary->UserId()) + "'");
    sql->ReleaseResults();
}

// The database's clock before the DM creates anything of the new document:
// its own rows are dated from then on.
void DocumentTransfer::NoteCreationTime() { v_.CreationTime = p_.DatabaseTime(); }

// The rows the DM wrote for the new document under the program's own user
// since it was created. The program's own entries have type 0; the rows
// copied from the source stay by their keys, since their dates are the
// source's and may lie after the target's clock.
bool DocumentTransfer::ClearDmActivity() {
    if (!Connect(v_.TargetLibrary)) return false;
    auto& sql = p_.session.PcdSql;
    const std::string m = Num(v_.TargetDocNumber);
    const std::string libName = p_.ConnectedLibraryName();
    p_.ShowStatus("Finalizing document #" + m + " in library " + libName);
    p_.ShowStatus("Clearing ActivityLog for document #" + m + " in library " + libName);
    if (v_.CreationTime.empty()) {
        p_.WriteLog("Warning: The database time before document #" + m +
                    " was created is unknown - its Activitylog entries written by the DM are kept");
        return true;
    }
    Read("SELECT SYSTEM_ID FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + m + " AND ACTIVITY_TYPE <> 0 AND TYPIST = " +
         core::OwnUserKey(p_) + " AND START_DATE >= " + p_.DatabaseTimeValue(v_.CreationTime));
    std::vector<std::string> keys;
    if (sql->RowCount() > 0) {
        do {
            const int32_t key = sql->ColumnValue(1).ToLong();
            if (!v_.CopiedActivityKeys.count(key)) keys.push_back(Num(key));
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    // Short lists: Oracle takes at most 1000 values in one.
    constexpr size_t kPerStatement = 200;
    for (size_t first = 0; first < keys.size(); first += kPerStatement) {
        std::string list;
        for (size_t k = first; k < keys.size() && k < first + kPerStatement; ++k) {
            list += (list.empty() ? "" : ", ") + keys[k];
        }
        if (!WriteOrFail("DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + m + " AND SYSTEM_ID IN (" + list + ")",
                         "the clean-up of the Activitylog of document #" + m)) {
            return false;
        }
    }
    return true;
}

// The entries of a Copy, a Transfer or a Move, the target's first: a copy
// recorded there is finished by the next run (its mark stands until the
// transfer ends), one recorded nowhere is removed and built again. A Move
// records itself before its source goes, so that a retry finds the copy and
// only removes the source. The retry that finishes a recorded copy writes
// only the source's entry, and only when it is missing.
bool DocumentTransfer::WriteTransferEntries() {
    const auto options = p_.Options();
    const std::string n = Num(v_.DocNumber);
    const std::string m = Num(v_.TargetDocNumber);
    const std::string& s = v_.SourceLibrary;
    const std::string& t = v_.TargetLibrary;
    int32_t outType = kActivityTransferredOut, inType = kActivityTransferredIn;
    std::string outText, inText;
    if (options.Transfer()) {
        p_.WriteLog("Document #" + n + " was transferred to " + t + " and will be NOT removed from library " + s +
                    " (if it exists)");
        outText = "Transferred to " + t;
        inText = "Transferred from " + s;
    } else if (options.Copy()) {
        p_.WriteLog("Document #" + n + " was copied to " + t + " and will NOT be removed from library " + s +
                    " (if it exists)");
        outType = inType = kActivityCopy;
        outText = "Copied to #" + m;
        inText = "Copied from #" + n;
    } else {
        outText = kMovedTo + t;
        inText = "Moved from " + s;
    }
    auto sourceRecords = [&] {
        if (!v_.FinishOnly || !Connect(s)) return false;
        return Scalar("SELECT COUNT(*) FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL ON "
                      "RL.SYSTEM_ID = A.REF_LIBRARY WHERE A.DOCNUMBER = " + n + " AND A.ACTIVITY_TYPE = " +
                      Num(outType) + " AND A.REF_DOCUMENT = " + m + " AND RL.LIBRARY_NAME = '" +
                      core::DoubleApostrophes(t) + "'")
                   .ToLong() > 0;
    };
    const bool recorded =
        (v_.FinishOnly || AddActivityLogEntry(p_, t, s, v_.TargetDocNumber, v_.DocNumber, inType, inText)) &&
        (sourceRecords() || AddActivityLogEntry(p_, s, t, v_.DocNumber, v_.TargetDocNumber, outType, outText));
    if (!recorded) {
        // Unrecorded, the copy is taken for a half-built one next time and
        // built again.
        Fail("Error: The copy of document #" + n + " as document #" + m + " in library " + t +
             " could not be recorded - it will be tried again");
        return false;
    }
    return true;
}

}  // namespace transfer
