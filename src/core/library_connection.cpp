#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace {

std::string Flag(bool b) { return b ? "-1" : "0"; }

// The library list failed while it was walked.
struct LibraryListFailure {};

}  // namespace

bool Program::ConnectLibrary(const std::string& libraryName) {
    const std::string name = Upper(Trim(libraryName));
    if (name.empty()) return ConnectLibraryFailure(name, "");
    if (!CheckFusion("ConnectLibrary")) return false;
    if (session.ConnectedLibrary && Upper(ConnectedLibraryName()) == name) return true;

    std::string saved;
    const dm::LibraryPtr previous = session.ConnectedLibrary;
    const std::string previousOwner = facts.SqlOwner;
    try {
        if (!LibraryArray.Built()) {
            std::vector<std::string> names;
            int32_t count = session.DmLibraries->Count();
            for (int32_t i = 1; i <= count; ++i) {
                auto lib = session.DmLibraries->Item(i);
                names.push_back(Upper(lib->Name()));
                if (lib->IsPrimary().IsBooleanTrue()) {
                    MainWindow.LabelUserName.SetToolTip(lib->UserId() + " primary library is " + lib->Name());
                }
            }
            LibraryArray.Build(names);
        }
        int row = LibraryArray.FindRow(name);
        if (row == 0) {
            WriteLog("Warning: Unable to define library " + name + " in requisite Library Array");
            Separator();
        }

        saved = facts.SqlOwner;
        if (!LibraryArray.Cell(row, LibraryCache::kOwner).empty()) {
            facts.SqlOwner = LibraryArray.Cell(row, LibraryCache::kOwner);
        } else {
            CheckSQLSettings(name);
        }
        if (!facts.SqlOwner.empty()) LibraryArray.Cell(row, LibraryCache::kOwner) = facts.SqlOwner;

        WriteLog("Connecting to library " + name);
        Separator();

        try {
            int32_t count = session.DmLibraries->Count();
            for (int32_t i = 1; i <= count; ++i) {
                auto lib = session.DmLibraries->Item(i);
                if (Upper(lib->Name()) == name) {
                    WriteLog("Setting Lib object to " + lib->Name());
                    session.ConnectedLibrary = lib;
                    Separator();
                    break;
                }
            }
        } catch (const dm::DmError&) {
            throw LibraryListFailure{};
        }

        if (!session.ConnectedLibrary) {
            WriteLog("Error: Unable to set LIB object - cannot continue");
            return ConnectLibraryFailure(name, saved);
        }
        auto& lib = session.ConnectedLibrary;
        lib->Connect();
        std::string userId = lib->UserId();
        if (userId.empty()) {
            WriteLog("Error: Library UserName not identified");
            // Stay with the library the SQL object is still bound to, so the
            // session and its facts describe one library.
            session.ConnectedLibrary = previous;
            facts.SqlOwner = previousOwner;
            return false;
        }
        MainWindow.LabelUserName.SetCaption(userId);
        MainWindow.LabelPrimaryGroup.SetCaption(lib->PrimaryGroup());
        MainWindow.LabelLibraryName.SetCaption(lib->Name());

        if (!BindConnectedLibrary(row, true)) return ConnectLibraryFailure(name, saved);

        if (Upper(lib->Name()) != name) return ConnectLibraryFailure(name, saved);

        if (!ReadLibraryFacts(row)) return ConnectLibraryFailure(name, saved);
        auto t = platform::ToLocal(platform.clock.Now());
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        WriteLog("Connected to " + facts.DatabaseEngineName + " Library Object " + lib->Name() + " at " + clock);
        Separator();
        return true;
    } catch (const LibraryListFailure&) {
        Separator();
        std::string text = std::string("Error: The LIBS object is not set.") + "\r\n" +
                           "This indicates a problem with how " + kProductName +
                           " accesses the DM API on your computer";
        WriteLog(text);
        Separator();
        if (DisplayErrors()) platform.ui.MessageBox(text, platform::mb::Critical, AppTitle());
    } catch (const dm::DmError& e) {
        Separator();
        WriteLog("ConnectLibrary:");
        ReportError(e);
    }
    return ConnectLibraryFailure(name, saved);
}

// Binds the SQL object to the connected library and sets the engine, owner
// and dialect fragments. False when the SQL object cannot be created.
bool Program::BindConnectedLibrary(int row, bool logSteps) {
    auto& sql = session.PcdSql;
    auto& lib = session.ConnectedLibrary;
    if (!sql) {
        if (logSteps) WriteLog("Setting PCDClient.PCDSQL Object");
        sql = platform.dm.CreateSql(dm::kSqlProgId);
        if (logSteps) Separator();
        if (!sql) {
            WriteLog(std::string("Error: Unable to set SQL object - cannot start ") + kProductName);
            Separator();
            Separator();
            WriteLog("ConnectLibrary:");
            ReportError(0, "", "");
            return false;
        }
        if (logSteps) WriteLog("Setting pSQL Security Token");
        sql->SetSecurityToken(session.DmApplication->SecurityToken());
        if (logSteps) Separator();
    }
    const std::string libName = lib->Name();
    if (logSteps) WriteLog("Setting pSQL library to " + libName);
    sql->SetLibrary(libName);
    if (logSteps) Separator();

    facts.DatabaseEngine = sql->DatabaseVendor();
    if (facts.DatabaseEngine == 0) {
        RunSQL("SELECT DATABASE_ENGINE FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + libName + "'");
        facts.DatabaseEngine = sql->ColumnValue(1).ToLong();
        sql->ReleaseResults();
        WriteLog("SQL Database_Engine value is " + std::to_string(facts.DatabaseEngine));
        Separator();
    }
    facts.SqlOwner = LibraryArray.Cell(row, LibraryCache::kOwner).empty() ? facts.SqlOwner
                                                                          : LibraryArray.Cell(row, LibraryCache::kOwner);
    switch (facts.DatabaseEngine) {
        case 2:
        case 5:
            facts.DatabaseEngineName = "Oracle";
            facts.OuterJoinOperator = " (+) = ";
            facts.NextColumnName = "\"NEXT\"";
            break;
        case 0: facts.DatabaseEngineName = "*Unknown*"; break;
        default:
            facts.DatabaseEngineName = facts.DatabaseEngine == 6 ? "Sybase" : "MSSQL";
            facts.OuterJoinOperator = " =* ";
            facts.NextColumnName = "[NEXT]";
    }
    return true;
}

bool Program::ReadLibraryFacts(int row) {
    auto& sql = session.PcdSql;
    auto cell = [&](int column) -> std::string& { return LibraryArray.Cell(row, column); };
    // A fact the library refused to give is neither guessed nor kept: the
    // connection fails, and the next one asks again.
    std::string reason;
    auto refused = [&](const std::string& what) {
        WriteLog("Error: Library " + ConnectedLibraryName() + " refused to tell " + what +
                 (reason.empty() ? "" : " - " + reason));
        Separator();
        return false;
    };
    auto read = [&](const std::string& statement, std::string& value) {
        const bool accepted = RunSQLAccepted(statement);
        value = accepted ? sql->ColumnValue(1).ToText() : "";
        if (!accepted) reason = SqlErrorReport();
        sql->ReleaseResults();
        return accepted;
    };

    for (const auto& [column, table] : {std::pair{LibraryCache::kSettingsTable, "KEST_SETTINGS"},
                                        std::pair{LibraryCache::kQueueTable, "NEEDS_ARCHIVING"}}) {
        if (!cell(column).empty()) continue;
        const auto listed = TableListed(table);
        if (!listed) return refused(std::string("whether its table ") + table + " exists");
        cell(column) = Flag(*listed);
    }
    facts.SettingsTableExists = dm::LeadingNumber(cell(LibraryCache::kSettingsTable)) != 0;
    facts.QueueTableExists = dm::LeadingNumber(cell(LibraryCache::kQueueTable)) != 0;

    struct Probe {
        int column;
        const char* table;
        const char* columnName;
        bool ConnectionFacts::*flag;
    };
    static const Probe probes[] = {
        {LibraryCache::kSecurityLink, "PROFILE", "SECURITY_LINK", &ConnectionFacts::HasSecurityLink},
        {LibraryCache::kActivityStartTime, "ACTIVITYLOG", "START_TIME", &ConnectionFacts::HasActivityStartTime},
        {LibraryCache::kVersionEditTime, "VERSIONS", "LASTEDITTIME", &ConnectionFacts::HasVersionEditTime},
        {LibraryCache::kEncryptionKeyId, "COMPONENTS", "ENCRYPTION_KEY_ID", &ConnectionFacts::HasEncryptionKeyId},
    };
    for (const auto& probe : probes) {
        if (cell(probe.column).empty()) {
            std::string count;
            if (!read(std::string("SELECT COUNT(*) FROM [OWNER].DOCSCOLUMN WHERE TBNAME = '") + probe.table +
                          "' AND COLNAME = '" + probe.columnName + "'",
                      count)) {
                return refused(std::string("whether its column ") + probe.table + "." + probe.columnName + " exists");
            }
            cell(probe.column) = dm::LeadingNumber(count) == 0 ? "0" : "-1";
        }
        facts.*probe.flag = dm::LeadingNumber(cell(probe.column)) != 0;
    }

    if (!IsOracle(facts.DatabaseEngine)) {
        if (cell(LibraryCache::kDatabaseVersion).empty()) {
            std::string version;
            if (!read("select serverproperty('ProductVersion')", version)) return refused("its database version");
            WriteLog("Database Version is " + version);
            Separator();
            cell(LibraryCache::kDatabaseVersion) = version;
        }
        facts.DatabaseVersion = cell(LibraryCache::kDatabaseVersion);
    }

    MainWindow.CheckUseAlternateDateFormat.SetVisible(IsOracle(facts.DatabaseEngine));

    if (cell(LibraryCache::kSecurityRights).empty()) {
        std::string text;
        if (!read("SELECT ACCESSRIGHTS FROM [OWNER].SECURITY WHERE PERSONORGROUP = 0 AND THING = 0", text)) {
            return refused("the rights of its default trustee");
        }
        const double rights = dm::LeadingNumber(text);
        std::string repair;
        if (rights == 0) {
            repair = "INSERT INTO [OWNER].SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) VALUES (0, 255, 0)";
        } else if (rights < 255) {
            repair = "UPDATE [OWNER].SECURITY SET ACCESSRIGHTS = 255 WHERE PERSONORGROUP = 0 AND THING = 0";
        }
        if (!repair.empty()) {
            const bool repaired = RunSQLAccepted(repair);
            if (!repaired) reason = SqlErrorReport();
            sql->ReleaseResults();
            if (!repaired) return refused("the rights of its default trustee: it refused to set them");
        }
        cell(LibraryCache::kSecurityRights) = dm::FormatWhole(rights);
    }
    return true;
}

bool Program::ConnectLibraryFailure(const std::string& name, const std::string& savedOwner) {
    Separator();
    // Which library the session is left with decides where the next
    // statements run: a refusal here is logged.
    GoOn(*this, "ConnectLibrary", [&] {
        if (session.DmApplication) session.ConnectedLibrary = session.DmApplication->CurrentLibrary();
        if (!session.ConnectedLibrary) {
            WriteLog("Error: Unable to set library object to " + name + " - library object set to nothing");
        } else {
            std::string current = session.ConnectedLibrary->Name();
            if (Upper(current) != name) {
                WriteLog("Error: Unable to set library object to " + name + " - library object set to " + current);
                if (!savedOwner.empty()) facts.SqlOwner = savedOwner;
            }
            // Keep the SQL object and the facts with the library the session
            // now names, so later statements run where they are meant to.
            if (session.PcdSql && LibraryArray.Built()) {
                int row = LibraryArray.FindRow(current);
                if (BindConnectedLibrary(row, false)) ReadLibraryFacts(row);
            }
        }
    });
    Separator();
    return false;
}

bool Program::CheckSQLSettings(const std::string& target) {
    if (facts.SqlOwner.empty()) facts.SqlOwner = "DOCSADM";
    if (!CheckFusion("CheckSQLSettings")) return false;
    if (!session.ConnectedLibrary) return false;
    try {
        const std::string current = session.ConnectedLibrary->Name();
        if (current == target) return true;
        WriteLog("Checking SQL connection settings in " + current + " to " + target);
        Separator();
        RunSQL("SELECT LIBRARY_NAME, SQL_PASSWORD, LIB_LOGIN_UNAME, OWNER FROM [OWNER].REMOTE_LIBRARIES "
               "WHERE LIBRARY_NAME IN ('" + current + "', '" + target + "')");
        auto& sql = session.PcdSql;
        if (sql->RowCount() == 0) {
            WriteLog("Error: Unable to obtain results from SQL statement in library " + current);
            Separator();
            sql->ReleaseResults();
            return false;
        }
        bool found = false;
        std::string owner;
        do {
            std::string libName = sql->ColumnValue(1).ToText();
            if (libName.empty() || Upper(libName) == Upper(current)) continue;
            if (Upper(libName) == Upper(target)) {
                found = true;
                owner = Trim(sql->ColumnValue(4).ToText());
            }
        } while (sql->NextRow());
        sql->ReleaseResults();
        if (!found) {
            WriteLog("Error: The library you are attempting to connect to (" + target +
                     ") is not properly configured in the REMOTE_LIBRARIES table in your current library (" +
                     current + ")");
            Separator();
        }
        if (!owner.empty()) facts.SqlOwner = owner;
        return true;
    } catch (const dm::DmError& e) {
        Separator();
        WriteLog("CheckSQLSettings:");
        ReportError(e);
        Separator();
        return false;
    }
}

}  // namespace core
