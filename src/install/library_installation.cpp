// "&Build Library" and "&Make Triggers": the queue table, its dictionary
// rows, the trigger and the rights, with every step logged. A step that
// fails is named in the command's last box.

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/label.h"
#include "forms/main_window.h"
#include "install/cached_facts.h"
#include "install/install_steps.h"
#include "install/library_setup.h"
#include "install/queue_table_statements.h"
#include "install/queue_trigger.h"
#include "platform/clock.h"
#include "platform/ui_host.h"

namespace install {

namespace {

const std::string kCrLf = "\r\n";

}  // namespace

// What both commands remember when they start and put back on every way out,
// before the window's closing steps end the command.
class LibrarySetup::CommandScope {
public:
    explicit CommandScope(LibrarySetup& s) : s_(s), p_(s.p_) {
        forms::Label* label = p_.StatusLabel();
        status_ = label ? label->Caption() : "";
        p_.platform.ui.SetMousePointer(platform::MousePointer::Hourglass);
        p_.MonitorHeartbeat();
        library_ = p_.ConnectedLibraryName();
        verbose_ = p_.MainWindow.CheckLogMethod.Value();
        p_.MainWindow.CheckLogMethod.SetValue(forms::CheckBox::Checked);
    }

    // Runs the command; a refused DM call ends it as a run-time error does.
    template <class Command>
    void Run(Command&& command) {
        try {
            command();
        } catch (const dm::DmError& e) {
            p_.ReportError(e);
            s_.DefinitionUncommitted = true;
        }
        End();
    }

private:
    void End() {
        // However far the command got, even past a run-time error, the
        // library it worked on is cached with its table as it is now.
        core::PassOver([&] { RefreshQueueTableFact(p_); });
        core::PassOver([&] {
            if (!p_.ConnectLibrary(library_)) {
                s_.Message("Error: unable to connect to library " + library_, platform::mb::Critical);
            }
        });
        p_.MainWindow.CheckLogMethod.SetValue(verbose_);
        p_.Separator();
        if (forms::Label* label = p_.StatusLabel()) label->SetCaption(status_);
        p_.platform.ui.SetMousePointer(platform::MousePointer::Default);
        p_.MonitorHeartbeat();
        s_.Form_Unload();
    }

    LibrarySetup& s_;
    core::Program& p_;
    std::string status_;
    std::string library_;
    int verbose_ = 0;
};

namespace {

// A key of 0 means the key counter failed.
int32_t NextKey(core::Program& p) { return core::Require(p.session.PcdSql)->GetNextKey("SYSTEMKEY"); }

// A statement named by its first line, without the owner's marker.
std::string StepName(const std::string& statement) {
    std::string line = statement.substr(0, statement.find_first_of("\r\n"));
    for (size_t at; (at = line.find("[OWNER].")) != std::string::npos;) line.erase(at, 8);
    return core::Trim(line);
}

}  // namespace

void LibrarySetup::Step(const std::string& statement, const std::string& name) {
    if (RunStep(p_, statement)) return;
    for (const std::string& failed : failedSteps_) {
        if (failed == name) return;
    }
    failedSteps_.push_back(name);
}

void LibrarySetup::SetupFailed(const std::string& library, const std::string& what) {
    const std::string text = "Error: Unable to complete the setup of Dorvane in library " + library + " - " + what;
    p_.WriteLog(text);
    Message(text, platform::mb::Critical);
}

void LibrarySetup::TriggerFailed(const std::string& library) {
    SetupFailed(library, "trigger creation unsuccessful" + (triggerState_.empty() ? "" : "; " + triggerState_));
    DefinitionUncommitted = true;
}

bool LibrarySetup::CreateQueueTable() {
    const std::vector<std::string> table = QueueTableStatements(p_.facts.DatabaseEngine);
    const std::string name = p_.ConnectedLibraryName();
    p_.ShowStatus("Dropping existing table NEEDS_ARCHIVING");
    p_.Separator();
    // Oracle and Sybase refuse to drop a table that is not there.
    if (!RunStep(p_, table.front()) && p_.TableListed(kQueueTable).value_or(true)) {
        SetupFailed(name, "the table NEEDS_ARCHIVING could not be dropped; it keeps its rows, and the library has "
                          "no queue trigger");
        return false;
    }
    p_.ShowStatus("Creating new table NEEDS_ARCHIVING");
    p_.Separator();
    if (!RunStep(p_, table[1])) {
        // No dictionary rows describe a table that is not there.
        RunStep(p_, DictionaryColumnsDeleteStatement());
        RunStep(p_, DictionaryTableDeleteStatement());
        SetupFailed(name, "the table NEEDS_ARCHIVING could not be created; the library has neither the queue table "
                          "nor a queue trigger");
        return false;
    }
    for (size_t i = 2; i < table.size(); ++i) Step(table[i], StepName(table[i]));

    auto keyFailed = [&] {
        Message("Error: Unable to retrieve System ID for inserting new row - cannot continue." + kCrLf +
                    "(Note: If you are using Windows XP, this is a known DodiDida issue described in SD017875)",
                platform::mb::Exclamation);
    };
    const std::string tableRow = "writing the DOCSTABLE row of NEEDS_ARCHIVING";
    const std::string columnRows = "writing the DOCSCOLUMN rows of NEEDS_ARCHIVING";
    p_.ShowStatus("Updating DOCSTABLE for NEEDS_ARCHIVING");
    p_.Separator();
    Step(DictionaryTableDeleteStatement(), tableRow);
    int32_t key = NextKey(p_);
    if (key == 0) {
        keyFailed();
        return false;
    }
    const auto today = platform::ToLocal(p_.platform.clock.Now());
    Step(DictionaryTableInsertStatement(key, QueueTableDescription(today.year, today.month, today.day)), tableRow);

    p_.MonitorHeartbeat();
    p_.ShowStatus("Updating DOCSCOLUMN for NEEDS_ARCHIVING");
    p_.Separator();
    Step(DictionaryColumnsDeleteStatement(), columnRows);
    for (int row = 0; row < kDictionaryColumnRows; ++row) {
        key = NextKey(p_);
        if (key == 0) {
            keyFailed();
            return false;
        }
        Step(DictionaryColumnInsertStatement(row, key), columnRows);
    }
    return true;
}

void LibrarySetup::SetUniversalAccess() {
    const std::string name = p_.ConnectedLibraryName();
    const std::string userId = core::Require(p_.session.ConnectedLibrary)->UserId();
    p_.ShowStatus("Setting Universal Access Rights for " + userId + "'s PRIMARY GROUP in Library " + name);
    p_.Separator();
    Step("UPDATE [OWNER].GROUPS SET UNIV_ACCESS = 255 WHERE SYSTEM_ID = (SELECT PRIMARY_GROUP FROM "
         "[OWNER].PEOPLE WHERE USER_ID = '" +
             core::DoubleApostrophes(userId) + "')",
         "setting universal access rights for " + userId + "'s primary group");
    p_.ShowStatus("Setting Universal Access Rights for DOCS_SUPERVISORS in Library " + name);
    p_.Separator();
    Step("UPDATE [OWNER].GROUPS SET UNIV_ACCESS = 255 WHERE GROUP_ID = 'DOCS_SUPERVISORS'",
         "setting universal access rights for DOCS_SUPERVISORS");
}

bool LibrarySetup::ArchivesOnClose() {
    if (Ask("Are you setting up Dorvane to archive documents when Tamsel closes (disables) an item and marks "
            "its documents read-only?") != platform::mb::AnswerYes) {
        return false;
    }
    const std::string m3 =
        "Not creating triggers because you are using Dorvane to archive documents when Tamsel closes an item";
    Message(m3, platform::mb::Information);
    p_.WriteLog(m3);
    p_.Separator();
    return true;
}

void LibrarySetup::ButtonBuildLib_Click() {
    CommandScope scope(*this);
    scope.Run([&] {
        const std::string source = w_.SourceLibraryCombo.Text();
        if (!p_.ConnectLibrary(source)) {
            Message("Error: Unable to connect to library " + source, platform::mb::Critical);
            return;
        }
        const std::string name = p_.ConnectedLibraryName();
        p_.Separator();
        p_.ShowStatus("Preparing to setup Dorvane for library " + name);
        p_.Separator();
        // A look the catalogue refused is no "not installed": a first
        // installation would drop the table with its rows unasked.
        const std::optional<bool> listed = p_.TableListed(kQueueTable);
        if (!listed) {
            SetupFailed(name, "the table NEEDS_ARCHIVING could not be looked for; nothing was changed");
            return;
        }
        if (!*listed) {
            const std::string q1 = "This procedure will Setup the Dorvane Triggers and tables for the library " + name +
                                   ". " + kCrLf + kCrLf + "Are you absolutely certain that you want to do this?";
            if (Ask(q1) != platform::mb::AnswerYes) return;
        } else {
            p_.ShowStatus("Checking that no pending rows exist");
            p_.Separator();
            // Rows that could not be counted may be pending: the table is
            // never remade over them unasked.
            const std::optional<int32_t> counted = QueueRowCount(p_);
            if (!counted) {
                SetupFailed(name, "the rows of the table NEEDS_ARCHIVING could not be counted; nothing was changed");
                return;
            }
            const int32_t n = *counted;
            if (n != 0) {
                if (Ask("There are " + std::to_string(n) +
                        " NEEDS_ARCHIVING rows still pending for update - do you want to continue anyway?") !=
                    platform::mb::AnswerYes) {
                    p_.WriteLog("Skipping library " + name);
                    return;
                }
            } else if (Ask("Library " + name + " already has the required NEEDS_ARCHIVING table - continue anyway?") !=
                       platform::mb::AnswerYes) {
                p_.ShowStatus("NEEDS_ARCHIVING already exists - procedure canceled");
                return;
            }
        }
        failedSteps_.clear();
        triggerState_.clear();
        replacedDefinition_.reset();
        // No trigger when the closing of an item queues its documents. A
        // trigger's definition is checked before anything changes.
        std::optional<TriggerSelection> selection;
        if (!ArchivesOnClose()) {
            selection = CheckDefinition();
            if (!selection) {
                NoteStandingTrigger();
                TriggerFailed(name);
                return;
            }
        }
        // The old triggers go before their table and the new one comes after
        // it: no trigger stands without the table at any step.
        const std::string standing = DropQueueTriggers(p_);
        if (!standing.empty()) {
            SetupFailed(name, "the trigger " + standing + " could not be dropped; nothing else was changed" +
                                  RestoreReplacedDefinition());
            if (selection) DefinitionUncommitted = true;
            return;
        }
        if (!CreateQueueTable()) {
            if (selection) DefinitionUncommitted = true;
            return;
        }
        p_.MonitorHeartbeat();
        RefreshQueueTableFact(p_);
        if (selection) {
            if (!InstallTrigger(*selection, false)) {
                TriggerFailed(name);
                return;
            }
            DefinitionUncommitted = false;
        }
        SetUniversalAccess();
        if (!failedSteps_.empty()) {
            std::string steps;
            for (const std::string& step : failedSteps_) steps += (steps.empty() ? "" : "; ") + step;
            const std::string failed = "Error: Dorvane Setup for " + name + " finished with failed steps (" + steps +
                                       ") - Check " + p_.log.CurrentLogFile + " for the errors.";
            p_.ShowStatus(failed);
            Message(failed, platform::mb::Critical);
            return;
        }
        const std::string m5 =
            "Dorvane Setup complete for " + name + " - Check " + p_.log.CurrentLogFile + " for any errors.";
        p_.ShowStatus(m5);
        Message(m5, platform::mb::Information);
    });
}

void LibrarySetup::ButtonBuildTriggers_Click() {
    CommandScope scope(*this);
    scope.Run([&] {
        const std::string source = w_.SourceLibraryCombo.Text();
        if (!p_.ConnectLibrary(source)) {
            Message("Error: Unable to connect Dorvane to library " + source, platform::mb::Critical);
            return;
        }
        const std::string name = p_.ConnectedLibraryName();
        if (!p_.TableExists(kQueueTable)) {
            Message("Error: Dorvane does not appear to be installed in library " + name + " - cannot continue",
                    platform::mb::Critical);
            return;
        }
        if (ArchivesOnClose()) return;
        if (Ask("This procedure will re-install the Dorvane Triggers in library " + name + ". " + kCrLf + kCrLf +
                "Are you absolutely certain that you want to do this?") != platform::mb::AnswerYes) {
            return;
        }
        if (DorvaneCreateTriggers(name)) {
            DefinitionUncommitted = false;
            const std::string m9 = "Dorvane triggers re-installed in library " + name + " - Check " +
                                   p_.log.CurrentLogFile + " for any errors.";
            p_.ShowStatus(m9);
            Message(m9, platform::mb::Information);
        } else {
            TriggerFailed(name);
        }
    });
}

}  // namespace install
