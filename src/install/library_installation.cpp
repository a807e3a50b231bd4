// "&Build Library" and "&Make Triggers": the queue table, its dictionary
// rows, the trigger and the rights, with every step logged.

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"
#include "forms/label.h"
#include "forms/main_window.h"
#include "install/cached_facts.h"
#include "install/library_setup.h"
#include "install/queue_table_statements.h"
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

void Run(core::Program& p, const std::string& statement) {
    p.RunSQL(statement);
    if (auto& sql = p.session.PcdSql) sql->ReleaseResults();
}

// A key of 0 means the key counter failed.
int32_t NextKey(core::Program& p) { return core::Require(p.session.PcdSql)->GetNextKey("SYSTEMKEY"); }

}  // namespace

bool LibrarySetup::CreateQueueTable() {
    const std::vector<std::string> table = QueueTableStatements(p_.facts.DatabaseEngine);
    p_.ShowStatus("Dropping existing table NEEDS_ARCHIVING");
    p_.Separator();
    Run(p_, table.front());
    p_.ShowStatus("Creating new table NEEDS_ARCHIVING");
    p_.Separator();
    for (size_t i = 1; i < table.size(); ++i) Run(p_, table[i]);

    auto keyFailed = [&] {
        Message("Error: Unable to retrieve System ID for inserting new row - cannot continue." + kCrLf +
                    "(Note: If you are using Windows XP, this is a known DodiDida issue described in SD017875)",
                platform::mb::Exclamation);
    };
    p_.ShowStatus("Updating DOCSTABLE for NEEDS_ARCHIVING");
    p_.Separator();
    Run(p_, DictionaryTableDeleteStatement());
    int32_t key = NextKey(p_);
    if (key == 0) {
        keyFailed();
        return false;
    }
    const auto today = platform::ToLocal(p_.platform.clock.Now());
    Run(p_, DictionaryTableInsertStatement(key, QueueTableDescription(today.year, today.month, today.day)));

    p_.MonitorHeartbeat();
    p_.ShowStatus("Updating DOCSCOLUMN for NEEDS_ARCHIVING");
    p_.Separator();
    Run(p_, DictionaryColumnsDeleteStatement());
    for (int row = 0; row < kDictionaryColumnRows; ++row) {
        key = NextKey(p_);
        if (key == 0) {
            keyFailed();
            return false;
        }
        Run(p_, DictionaryColumnInsertStatement(row, key));
    }
    return true;
}

void LibrarySetup::SetUniversalAccess() {
    const std::string name = p_.ConnectedLibraryName();
    const std::string userId = core::Require(p_.session.ConnectedLibrary)->UserId();
    p_.ShowStatus("Setting Universal Access Rights for " + userId + "'s PRIMARY GROUP in Library " + name);
    p_.Separator();
    Run(p_, "UPDATE [OWNER].GROUPS SET UNIV_ACCESS = 255 WHERE SYSTEM_ID = (SELECT PRIMARY_GROUP FROM "
            "[OWNER].PEOPLE WHERE USER_ID = '" +
                core::DoubleApostrophes(userId) + "')");
    p_.ShowStatus("Setting Universal Access Rights for DOCS_SUPERVISORS in Library " + name);
    p_.Separator();
    Run(p_, "UPDATE [OWNER].GROUPS SET UNIV_ACCESS = 255 WHERE GROUP_ID = 'DOCS_SUPERVISORS'");
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
        if (!p_.TableExists(kQueueTable)) {
            const std::string q1 = "This procedure will Setup the Dorvane Triggers and tables for the library " + name +
                                   ". " + kCrLf + kCrLf + "Are you absolutely certain that you want to do this?";
            if (Ask(q1) != platform::mb::AnswerYes) return;
        } else {
            p_.ShowStatus("Checking that no pending rows exist");
            p_.Separator();
            const int32_t n = core::QueueRows(p_).CountAll();
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
        if (!CreateQueueTable()) return;
        p_.MonitorHeartbeat();
        RefreshQueueTableFact(p_);

        // No trigger when the closing of an item queues its documents.
        if (!ArchivesOnClose()) {
            if (!DorvaneCreateTriggers(name)) {
                Message("Error: Unable to complete the setup of Dorvane in library " + name +
                            " - trigger creation unsuccessful",
                        platform::mb::Critical);
                DefinitionUncommitted = true;
                return;
            }
            DefinitionUncommitted = false;
        }
        SetUniversalAccess();
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
            Message("Error: Unable to complete the setup of Dorvane in library " + name +
                        " - trigger creation unsuccessful",
                    platform::mb::Critical);
            DefinitionUncommitted = true;
        }
    });
}

}  // namespace install
