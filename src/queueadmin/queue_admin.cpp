#include "queueadmin/queue_admin.h"

#include <cctype>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "queueadmin/sql_steps.h"

namespace queueadmin {

namespace {

constexpr int kWarning = platform::mb::Exclamation;
constexpr int kInformation = platform::mb::Information;
constexpr int kQuestion = platform::mb::YesNo + platform::mb::Question;

// A name the data dictionary gives for a table or column, placed in SQL as
// it stands: letters, digits and the underscore only.
bool PlainIdentifier(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

}  // namespace

class QueueAdmin::Restore {
public:
    enum class Then { PumpEvents, FocusMainWindow, Nothing };

    Restore(core::Program& p, Then then)
        : p_(p), then_(then), library_(p.ConnectedLibraryName()), status_(p.MainWindow.LabelStatus.Caption()) {}
    ~Restore() {
        if (!library_.empty()) p_.ConnectLibrary(library_);
        p_.MainWindow.LabelStatus.SetCaption(status_);
        auto& ui = p_.platform.ui;
        ui.SetMousePointer(platform::MousePointer::Default);
        if (then_ == Then::PumpEvents) ui.PumpEvents();
        if (then_ == Then::FocusMainWindow) p_.MainWindow.SetFocus();
    }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    core::Program& p_;
    Then then_;
    std::string library_;
    std::string status_;
};

std::vector<std::string> QueueAdmin::Targets() {
    std::vector<std::string> targets;
    const std::string source = core::Upper(p_.ConnectedLibraryName());
    const auto& box = p_.MainWindow.LibBox;
    const int rows = box.Count();
    for (int i = 0; i < rows && i < box.Count(); ++i) {
        const auto& item = box.Item(i);
        if (item.checked && core::Upper(item.text) != source) targets.push_back(item.text);
    }
    return targets;
}

bool QueueAdmin::QueueInstalled() {
    if (p_.facts.QueueTableExists) return true;
    p_.ShowMessage("Dorvane is not setup in " + p_.ConnectedLibraryName() + ".", kWarning, core::AppTitle());
    return false;
}

bool QueueAdmin::QueueForTargets(DocumentChoice choice, const std::string& statusText, int32_t& total,
                                 std::vector<std::string>& failures) {
    const std::string library = p_.ConnectedLibraryName();
    choice.oracle = core::IsOracle(p_.facts.DatabaseEngine);
    for (const std::string& target : Targets()) {
        choice.target = target;
        if (!statusText.empty()) {
            p_.ShowStatus("Processing available documents to library " + target + statusText);
            p_.Separator();
        }
        std::string failure;
        const double count = dm::LeadingNumber(RunScalar(p_, CountAvailableDocumentsStatement(choice), failure));
        if (!failure.empty()) {
            failures.push_back("Unable to count the documents to add for target library " + target + " (" +
                               failure + ")");
            continue;
        }
        if (count <= 0) continue;
        if (p_.ShowMessage("You are about to add " + dm::FormatWhole(count) +
                               " document(s) to the NEEDS_ARCHIVING table in library " + library +
                               " for target library " + target + ". Are you sure you wish to continue?",
                           kQuestion, core::AppTitle()) != platform::mb::AnswerYes) {
            return false;
        }
        total += RunChange(p_, QueueAvailableDocumentsStatement(choice), failure);
        if (!failure.empty()) {
            failures.push_back("Unable to add the documents for target library " + target + " (" + failure + ")");
        }
    }
    return true;
}

void QueueAdmin::MNDorvaneAddAllDocs_Click() {
    Restore restore(p_, Restore::Then::PumpEvents);
    if (!p_.SelectLibrary() || !QueueInstalled()) return;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    int32_t total = 0;
    std::vector<std::string> failures;
    if (!QueueForTargets(DocumentChoice{}, "", total, failures)) return;
    ShowOutcome(p_,
                std::to_string(total) + " document(s) added to the NEEDS_ARCHIVING table in library " +
                    p_.ConnectedLibraryName(),
                failures);
}

std::string QueueAdmin::MatterCloseDateColumn() {
    std::vector<std::string> dateColumns;
    const std::string failure = RunRows(p_, MatterDateColumnsQuery(), [&](dm::IDmSql& sql) {
        const std::string name = core::Trim(sql.ColumnValue(1).ToText());
        if (!name.empty()) dateColumns.push_back(name);
    });
    if (!failure.empty()) {
        p_.ShowMessage("Error: Unable to read the date columns of the matter table (" + failure + ") - cannot continue",
                       platform::mb::Critical, core::AppTitle());
        return "";
    }
    if (dateColumns.empty()) {
        p_.ShowMessage("There are no date columns defined for the matter table - cannot continue", kWarning,
                       core::AppTitle());
        return "";
    }
    // The close date is the date column named for it; the database's order
    // of the dictionary rows decides nothing.
    std::vector<std::string> closeColumns;
    for (const auto& name : dateColumns) {
        if (core::Upper(name).find("CLOSE") != std::string::npos && PlainIdentifier(name)) {
            closeColumns.push_back(name);
        }
    }
    if (closeColumns.size() == 1) return closeColumns.front();
    std::string names;
    for (const auto& name : closeColumns.empty() ? dateColumns : closeColumns) {
        names += (names.empty() ? "" : ", ") + name;
    }
    p_.ShowMessage(closeColumns.empty()
                       ? "None of the date columns of the matter table (" + names +
                             ") is a close date - cannot continue"
                       : "Several date columns of the matter table (" + names +
                             ") could be the close date - cannot continue",
                   kWarning, core::AppTitle());
    return "";
}

void QueueAdmin::MNDorvaneAddClosedDocMatters_Click() {
    Restore restore(p_, Restore::Then::PumpEvents);
    const std::string source = p_.MainWindow.SourceLibraryCombo.Text();
    if (!p_.ConnectLibrary(source)) {
        p_.ShowMessage("Error: Unable to connect to library " + source, platform::mb::Critical, core::AppTitle());
        return;
    }
    if (!QueueInstalled()) return;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    DocumentChoice choice;
    choice.closeDateColumn = MatterCloseDateColumn();
    if (choice.closeDateColumn.empty()) return;
    auto answer = ui.InputBox(
        "Enter in the close date for matters that you wish to process. "
        "If you wish to enter a date range, separate the two dates with a hyphen between blanks "
        "(2022-01-01 - 2022-06-30); otherwise, Dorvane will add all available documents for matters closed on "
        "dates up to and including the entered date",
        "Add documents for closed matters", "");
    if (!answer || answer->empty()) {
        p_.ShowMessage("You did not enter a date - cannot continue", kWarning, core::AppTitle());
        return;
    }
    std::string error;
    auto dates = ReadClosedMatterDates(*answer, error);
    if (!dates) {
        p_.ShowMessage(error, kWarning, core::AppTitle());
        return;
    }
    choice.dates = *dates;
    const std::string to = IsoDate(dates->to);
    const std::string when = dates->from ? " between " + IsoDate(*dates->from) + " and " + to
                                         : " on or before " + to;
    if (p_.ShowMessage("Please press Yes if you want to add available documents for matters closed" + when,
                       kQuestion, core::AppTitle()) != platform::mb::AnswerYes) {
        p_.ShowMessage("Procedure Canceled", kInformation, core::AppTitle());
        return;
    }
    int32_t total = 0;
    std::vector<std::string> failures;
    if (!QueueForTargets(choice, " for matters closed" + when, total, failures)) return;
    ShowOutcome(p_,
                std::to_string(total) + " document(s) added to the NEEDS_ARCHIVING table in library " +
                    p_.ConnectedLibraryName(),
                failures);
}

void QueueAdmin::MNDorvaneAddQueryDocs_Click() {
    Restore restore(p_, Restore::Then::FocusMainWindow);
    if (!p_.SelectLibrary() || !QueueInstalled()) return;
    const auto targets = Targets();
    if (targets.empty()) {
        p_.ShowMessage("You must select at least one target library in the Targets tab to add documents to the queue",
                       kInformation, core::AppTitle());
        return;
    }
    dm::SearchDialogPtr dialog;
    int32_t shown = 0;
    core::GoOn(p_, [&] {
        dialog = core::Require(p_.platform.dm.CreateSearchDialog());
        dialog->SetPrompt("Select documents to add to Dorvane queue:");
        shown = dialog->Show(0);
    });
    if (shown == 0) {
        p_.ShowMessage("Query Canceled", kInformation, core::AppTitle());
        return;
    }
    auto& ui = p_.platform.ui;
    p_.MainWindow.LabelStatus.SetCaption("");
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    dm::ProfilesPtr picks;
    int32_t pickCount = 0;
    core::GoOn(p_, [&] {
        picks = core::Require(dialog->Results());
        pickCount = picks->Count();
    });
    if (pickCount <= 0) {
        p_.ShowMessage("No documents were selected", kInformation, core::AppTitle());
        return;
    }
    const std::string library = p_.ConnectedLibraryName();
    int32_t inLibrary = 0;
    int32_t skipped = 0;
    std::string docNumbers;
    for (int32_t i = 1; i <= pickCount; ++i) {
        core::GoOn(p_, [&] {
            auto& profile = p_.session.CurrentProfile;
            profile = picks->Item(i);
            if (!profile) return;
            auto pickLibrary = profile->Library();
            if (pickLibrary && pickLibrary->Name() == library) {
                ++inLibrary;
                docNumbers += (docNumbers.empty() ? "" : ", ") + std::to_string(profile->DocNumber());
            } else {
                ++skipped;
            }
            core::PassOver([&] { profile->Close(); });
        });
    }
    int32_t total = 0;
    std::vector<std::string> failures;
    if (inLibrary != 0 && !docNumbers.empty()) {
        for (const std::string& target : targets) {
            p_.ShowStatus("Adding " + std::to_string(inLibrary) + " documents to NEEDS_ARCHIVING queue");
            p_.Separator();
            std::string failure;
            total += RunChange(p_, core::queue_sql::QueueListedDocuments(target, docNumbers), failure);
            if (!failure.empty()) {
                failures.push_back("Unable to add the documents for target library " + target + " (" + failure +
                                   ")");
            }
        }
    }
    std::string text = std::to_string(total) + " document(s) added to NEEDS_ARCHIVING queue";
    if (skipped != 0) {
        text += ";\r\n" + std::to_string(skipped) + " document(s) skipped - not in library " + library;
    }
    ShowOutcome(p_, text, failures);
}

std::vector<std::string> QueueAdmin::DisabledColumnTables(std::string* failure) {
    std::vector<std::string> tables;
    const std::string failed = RunRows(p_,
                                       "SELECT DISTINCT TBNAME FROM [OWNER].DOCSCOLUMN WHERE COLNAME = 'DISABLED' "
                                       "AND TBNAME NOT IN('DOCSERVERS', 'REMOTE_LIBRARIES')",
                                       [&](dm::IDmSql& sql) {
                                           const std::string name = core::Trim(sql.ColumnValue(1).ToText());
                                           if (name.empty()) return;
                                           if (PlainIdentifier(name)) {
                                               tables.push_back(name);
                                           } else {
                                               p_.WriteLog("Warning: The table name '" + name +
                                                           "' of DOCSCOLUMN is passed over");
                                           }
                                       });
    if (failure) *failure = failed;
    return tables;
}

int32_t QueueAdmin::ReenableDisabledMetadata(const std::vector<std::string>& tables,
                                             std::vector<std::string>* failures) {
    int32_t total = 0;
    for (const std::string& table : tables) {
        p_.ShowStatus("Updating DISABLED value in " + table + " table");
        p_.Separator();
        // A failed update changed nothing, whatever the SQL object reports.
        std::string failure;
        total += RunChange(p_, "UPDATE [OWNER]." + table + " SET DISABLED = NULL WHERE DISABLED IN('1','Y')",
                           failure);
        if (!failure.empty() && failures) failures->push_back("Unable to update table " + table + " (" + failure + ")");
    }
    return total;
}

void QueueAdmin::MNDorvaneEnableMetadata_Click() {
    Restore restore(p_, Restore::Then::PumpEvents);
    if (!p_.SelectLibrary() || !QueueInstalled()) return;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    p_.ShowStatus("Retrieving list of tables with a DISABLED column");
    p_.Separator();
    std::string failure;
    const auto tables = DisabledColumnTables(&failure);
    if (!failure.empty()) {
        ui.MessageBox("Error: Unable to read the tables with a DISABLED column in library " +
                          p_.ConnectedLibraryName() + " (" + failure + ")",
                      platform::mb::Critical, core::AppTitle());
        return;
    }
    if (tables.empty()) {
        ui.MessageBox("There appear to be no tables in library " + p_.ConnectedLibraryName() +
                          " that have a DISABLED column",
                      kWarning, core::AppTitle());
        return;
    }
    std::vector<std::string> failures;
    const int32_t total = ReenableDisabledMetadata(tables, &failures);
    const std::string text = "A total of " + std::to_string(total) +
                             " disabled rows were re-enabled - Refresh all DM Server caches to apply the results";
    p_.ShowStatus(text);
    p_.Separator();
    ui.MessageBox(OutcomeText(text, failures), failures.empty() ? kInformation : platform::mb::Critical,
                  core::AppTitle());
}

void QueueAdmin::MNDorvaneDisplayRows_Click() {
    Restore restore(p_, Restore::Then::Nothing);
    try {
        if (!p_.SelectLibrary()) return;
        if (!p_.facts.QueueTableExists) {
            QueueInstalled();
            return;
        }
        p_.MainWindow.LabelStatus.SetCaption("Displaying Pending Rows in library " + p_.ConnectedLibraryName() +
                                             "...");
        if (showPendingRows) showPendingRows();
    } catch (const dm::DmError& e) {
        p_.ReportError(e);
    }
}

void QueueAdmin::MNDorvaneCheckLastKeys_Click() {
    if (showLastKeys) showLastKeys();
    p_.platform.ui.SetMousePointer(platform::MousePointer::Default);
}

}  // namespace queueadmin
