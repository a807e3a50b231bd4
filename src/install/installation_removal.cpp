#include "install/installation_removal.h"

#include <optional>
#include <vector>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "install/cached_facts.h"
#include "install/install_steps.h"
#include "install/queue_table_statements.h"
#include "install/queue_trigger.h"
#include "platform/ui_host.h"

namespace install {

namespace {

const std::string kCrLf = "\r\n";

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
            failed_.clear();
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
            std::string summary =
                removed != 0 ? "Finished removing Dorvane information from " + std::to_string(removed) + " libraries."
                             : "Notice: I did not remove Dorvane from the selected libraries.";
            if (!failed_.empty()) {
                std::string names;
                for (const std::string& each : failed_) names += (names.empty() ? "" : ", ") + each;
                summary = "Error: Removing Dorvane failed in " +
                          std::string(failed_.size() == 1 ? "library " : "libraries ") + names + " - Check " +
                          p_.log.CurrentLogFile + " for the failed step." +
                          (removed != 0 ? " " + summary : std::string());
            }
            p_.ShowMessage(summary, failed_.empty() ? platform::mb::Information : platform::mb::Critical,
                           core::AppTitle());
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
    // The cached fact may be older than the table: look again. A look the
    // catalogue refused is no "not installed": the table may hold rows.
    const std::optional<bool> listed = p_.TableListed(kQueueTable);
    if (!listed) return Failed(name, "the table NEEDS_ARCHIVING could not be looked for; nothing was removed");
    const bool table = *listed;
    if (table != p_.facts.QueueTableExists) RefreshQueueTableFact(p_);
    // A queue trigger left without its table is removed all the same.
    if (!table && !TriggerListed(p_, kTriggerName).value_or(false)) {
        const std::string d3 = "Dorvane is not installed in library " + name;
        p_.ShowStatus(d3);
        p_.Separator();
        message(d3, platform::mb::OkOnly);
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

    int32_t n = 0;
    if (table) {
        p_.WriteLog("Checking that no pending rows exist for library " + name);
        p_.Separator();
        // Rows that could not be counted may be pending: they are never
        // dropped unasked.
        const std::optional<int32_t> counted = QueueRowCount(p_);
        if (!counted) {
            return Failed(name, "the rows of the table NEEDS_ARCHIVING could not be counted; nothing was removed");
        }
        n = *counted;
        if (n != 0 && Ask("There are " + std::to_string(n) +
                              " NEEDS_ARCHIVING row(s) still pending for update in library " + name +
                              " - you cannot remove the table until you either post them or clear them." + kCrLf +
                              "Do you want to clear them now?") != platform::mb::AnswerYes) {
            return false;
        }
    }
    // The triggers go first: none may stand without the table. Until the
    // table is dropped its rows stay, so a failure loses none of them.
    const std::string standing = DropQueueTriggers(p_);
    if (!standing.empty()) {
        return Failed(name, "the trigger " + standing +
                                " could not be dropped; the table NEEDS_ARCHIVING, its rows and its dictionary "
                                "rows are kept");
    }
    if (table) {
        if (n != 0) p_.ShowStatus("Clearing " + std::to_string(n) + " NEEDS_ARCHIVING rows from Library " + name);
        p_.WriteLog("Dropping existing table NEEDS_ARCHIVING");
        p_.Separator();
        if (!RunStep(p_, QueueTableDropStatement(p_.facts.DatabaseEngine)) &&
            p_.TableListed(kQueueTable).value_or(true)) {
            return Failed(name, "the table NEEDS_ARCHIVING could not be dropped; it keeps its rows and its "
                                "dictionary rows, and the library has no queue trigger");
        }
        // The cached facts follow the table, as after an installation.
        RefreshQueueTableFact(p_);
    }
    p_.WriteLog("Removing NEEDS_ARCHIVING from DOCSCOLUMN");
    p_.Separator();
    const bool columns = RunStep(p_, DictionaryColumnsDeleteStatement());
    p_.MonitorHeartbeat();
    p_.WriteLog("Removing NEEDS_ARCHIVING from DOCSTABLE");
    p_.Separator();
    const bool tableRow = RunStep(p_, DictionaryTableDeleteStatement());
    p_.MonitorHeartbeat();
    if (!columns || !tableRow) {
        return Failed(name, std::string("the table NEEDS_ARCHIVING and its triggers are dropped, but its rows in ") +
                                (columns ? "DOCSTABLE" : tableRow ? "DOCSCOLUMN" : "DOCSCOLUMN and DOCSTABLE") +
                                " could not be deleted");
    }
    p_.WriteLog(name + " Dorvane triggers and tables have been removed.");
    p_.Separator();
    return true;
}

bool InstallationRemoval::Failed(const std::string& name, const std::string& what) {
    const std::string text = "Error: Unable to remove Dorvane from library " + name + " - " + what;
    p_.WriteLog(text);
    p_.Separator();
    p_.ShowMessage(text, platform::mb::Critical, core::AppTitle());
    failed_.push_back(name);
    return false;
}

}  // namespace install
