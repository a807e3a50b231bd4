#include "install/installation_removal.h"

#include <vector>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "install/cached_facts.h"
#include "install/queue_table_statements.h"
#include "platform/ui_host.h"

namespace install {

namespace {

const std::string kCrLf = "\r\n";

// The tables a queue trigger may sit on; the installation makes only the
// one on PROFILE.
constexpr const char* kTriggerTables[] = {"PROFILE", "PROJECT", "PROJECT_COMPONENTS", "FOLDER_ITEM"};

std::string TriggerNameOf(const std::string& table) { return table.substr(0, 14) + "_NEEDS_ARCHIVING"; }

// Qualified by the owner, as the installation drops and creates it, so that
// the drop finds the trigger whatever the login's default schema.
std::string TriggerDrop(int32_t engine, const std::string& table) {
    const std::string name = "[OWNER]." + TriggerNameOf(table);
    if (core::IsOracle(engine) || engine == 6) return "drop trigger " + name;
    return "if exists (select * from sysobjects " + kCrLf + "where id = object_id('" + name + "') " + kCrLf +
           "and sysstat & 0xf = 8) " + kCrLf + "drop trigger " + name;
}

void Run(core::Program& p, const std::string& statement) {
    p.RunSQL(statement);
    if (auto& sql = p.session.PcdSql) sql->ReleaseResults();
}

}  // namespace

int InstallationRemoval::Ask(const std::string& text) {
    return p_.ShowMessage(text, platform::mb::YesNo | platform::mb::Question, core::AppTitle());
}

void InstallationRemoval::MNRemove_Click() {
    auto& ui = p_.platform.ui;
    auto& w = p_.MainWindow;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    const std::string status = w.LabelStatus.Caption();
    const std::string remembered = p_.ConnectedLibraryName();
    const int verbose = w.CheckLogMethod.Value();
    w.CheckLogMethod.SetValue(forms::CheckBox::Checked);
    try {
        [&] {
            w.LabelStatus.SetCaption("Preparing to remove Dorvane information");
            if (!p_.SelectLibrary()) return;
            w.SetFocus();
            const std::string name = p_.ConnectedLibraryName();
            w.LabelStatus.SetCaption("Preparing to remove Dorvane information from " + name);
            if (Ask("This procedure will remove the Dorvane Triggers and the associated tables from the library " +
                    name + ". " + kCrLf + kCrLf + "Are you absolutely certain that you want to do this?") !=
                platform::mb::AnswerYes) {
                return;
            }
            int removed = 0;
            if (Ask("Tamsel can also check to make sure that these tables and triggers do not exist in any other "
                    "libraries. Do you want to have Tamsel do this?") != platform::mb::AnswerYes) {
                removed += DorvaneRemove(name) ? 1 : 0;
            } else {
                std::vector<std::string> names;
                auto& libraries = core::Require(p_.session.DmLibraries);
                const int32_t count = libraries->Count();
                for (int32_t i = 1; i <= count; ++i) {
                    names.push_back(core::Upper(core::Require(libraries->Item(i))->Name()));
                }
                for (const std::string& each : names) removed += DorvaneRemove(each) ? 1 : 0;
            }
            const std::string summary =
                removed != 0 ? "Finished removing Dorvane information from " + std::to_string(removed) + " libraries."
                             : "Notice: I did not remove Dorvane from the selected libraries.";
            p_.ShowMessage(summary, platform::mb::Information, core::AppTitle());
            p_.WriteLog(summary);
            p_.Separator();
        }();
    } catch (const dm::DmError& e) {
        p_.ReportError(e);
    }
    core::PassOver([&] {
        if (!p_.ConnectLibrary(remembered)) {
            p_.ShowMessage("Error: unable to connect to library " + remembered, platform::mb::Critical,
                           core::AppTitle());
        }
    });
    w.CheckLogMethod.SetValue(verbose);
    w.LabelStatus.SetCaption(status);
    ui.SetMousePointer(platform::MousePointer::Default);
    p_.MonitorHeartbeat();
}

bool InstallationRemoval::DorvaneRemove(const std::string& libraryName) {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    p_.MonitorHeartbeat();
    const std::string remembered = p_.ConnectedLibraryName();
    p_.Separator();
    p_.WriteLog("Preparing to remove Dorvane information in library " + libraryName);
    p_.Separator();
    bool ok = false;
    try {
        ok = RemoveFromConnected(libraryName);
    } catch (const dm::DmError& e) {
        p_.ReportError(e);
        ok = false;
    }
    p_.Separator();
    core::PassOver([&] {
        if (!p_.ConnectLibrary(remembered)) {
            p_.ShowMessage("Error: unable to connect to library " + remembered, platform::mb::Critical,
                           core::AppTitle());
        }
    });
    ui.SetMousePointer(platform::MousePointer::Default);
    p_.MonitorHeartbeat();
    return ok;
}

bool InstallationRemoval::RemoveFromConnected(const std::string& libraryName) {
    auto message = [&](const std::string& text, int style) { p_.ShowMessage(text, style, core::AppTitle()); };
    if (!p_.ConnectLibrary(libraryName)) {
        message("Error: unable to connect to library " + libraryName, platform::mb::Critical);
        return false;
    }
    const std::string name = p_.ConnectedLibraryName();
    if (!p_.facts.QueueTableExists) {
        const std::string d3 = "Dorvane is not installed in library " + name;
        p_.ShowStatus(d3);
        p_.Separator();
        message(d3, platform::mb::OkOnly);
        return false;
    }
    if (!p_.TableExists(kQueueTable)) {
        message("The Dorvane tables do not appear to exist in library " + name, platform::mb::Information);
        return false;
    }
    const std::string userId = core::Require(p_.session.ConnectedLibrary)->UserId();
    p_.RunSQL("SELECT COUNT(*) FROM [OWNER].PEOPLEGROUPS WHERE PEOPLE_SYSTEM_ID = (SELECT SYSTEM_ID FROM "
              "[OWNER].PEOPLE WHERE USER_ID = '" +
              core::DoubleApostrophes(userId) +
              "') AND GROUPS_SYSTEM_ID IN (SELECT SYSTEM_ID FROM [OWNER].GROUPS WHERE UNIV_ACCESS = 255)");
    auto& sql = core::Require(p_.session.PcdSql);
    const double rights = dm::LeadingNumber(sql->ColumnValue(1).ToText());
    sql->ReleaseResults();
    if (rights == 0) {
        message("Error: You are not authorized to administer Dorvane in library " + name, platform::mb::Exclamation);
        return false;
    }

    p_.WriteLog("Checking that no pending rows exist for library " + name);
    p_.Separator();
    const int32_t n = core::QueueRows(p_).CountAll();
    if (n != 0) {
        if (Ask("There are " + std::to_string(n) + " NEEDS_ARCHIVING row(s) still pending for update in library " +
                name + " - you cannot remove the table until you either post them or clear them." + kCrLf +
                "Do you want to clear them now?") != platform::mb::AnswerYes) {
            return false;
        }
        p_.ShowStatus("Clearing " + std::to_string(n) + " NEEDS_ARCHIVING rows from Library " + name);
        Run(p_, core::queue_sql::DeleteAll());
    }
    for (const char* table : kTriggerTables) {
        p_.ShowStatus(std::string("Dropping existing trigger for ") + table);
        p_.Separator();
        Run(p_, TriggerDrop(p_.facts.DatabaseEngine, table));
    }
    p_.WriteLog("Dropping existing table NEEDS_ARCHIVING");
    p_.Separator();
    Run(p_, QueueTableDropStatement(p_.facts.DatabaseEngine));
    // The cached facts follow the table, as after an installation.
    RefreshQueueTableFact(p_);
    p_.WriteLog("Removing NEEDS_ARCHIVING from DOCSCOLUMN");
    p_.Separator();
    Run(p_, DictionaryColumnsDeleteStatement());
    p_.MonitorHeartbeat();
    p_.WriteLog("Removing NEEDS_ARCHIVING from DOCSTABLE");
    p_.Separator();
    Run(p_, DictionaryTableDeleteStatement());
    p_.MonitorHeartbeat();
    p_.WriteLog(name + " Dorvane triggers and tables have been removed.");
    p_.Separator();
    return true;
}

}  // namespace install
