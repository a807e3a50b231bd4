#include "queueadmin/summary.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"
#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "queueadmin/sql_steps.h"

namespace queueadmin {

namespace {

std::string Whole(const std::string& text) { return dm::FormatWhole(dm::LeadingNumber(text)); }

// A list row in a failure's line.
std::string RowName(const std::string& number, const std::string& target) {
    return (number.empty() ? std::string("the row without a document number") : "the row of document " + number) +
           " for target library " + target;
}

}  // namespace

SummaryForm::SummaryForm(core::Program& program) : ListWindowCode(program, w_) {
    ConnectShared();
    w_.keyDown.Connect([this](int key, int shift) { Form_KeyDown(key, shift); });
    w_.closeRequested.Connect([this] { w_.Close(); });
    w_.MNRemove.clicked.Connect([this] { RemoveQueueRows(); });
    w_.MNReset.clicked.Connect([this] { ResetQueueRows(); });
    w_.MNDisplayProfile.clicked.Connect([this] { DisplayProfile(); });
    w_.MNSelectAll.clicked.Connect([this] { SelectAll(true); });
    w_.MNDeselectAll.clicked.Connect([this] { SelectAll(false); });
}

void SummaryForm::Show() {
    RefreshMe();
    p_.platform.ui.RunModal(w_);
}

void SummaryForm::Form_KeyDown(int keyCode, int shift) {
    if (keyCode == forms::keys::F5) RefreshMe();
    if (keyCode == forms::keys::Escape) w_.Close();
    // The list is the window's only control that takes keys.
    if (keyCode == forms::keys::Delete && shift == 0) RemoveQueueRows();
}

void SummaryForm::EnablePopupItems() {
    const int selected = w_.ListResults.SelectedCount();
    w_.MNDisplayProfile.SetEnabled(selected == 1);
    w_.MNRemove.SetEnabled(selected >= 1);
}

void SummaryForm::RefreshMe() {
    auto& ui = p_.platform.ui;
    auto& status = p_.MainWindow.LabelStatus;
    const std::string keptStatus = status.Caption();
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    auto& list = w_.ListResults;
    list.Clear();
    list.SetSorted(false);
    const std::string library = p_.ConnectedLibraryName();
    status.SetCaption("Fetching pending rows from library " + library);
    ui.PumpEvents();
    int32_t total = 0;
    std::string failure;
    core::GoOn(p_, [&] {
        const bool ran = p_.RunSQL(core::queue_sql::AllRowsBySid());
        failure = ran ? LastStatementFailure(p_) : "the statement could not be run";
        auto& sql = core::Require(p_.session.PcdSql);
        total = failure.empty() ? sql->RowCount() : 0;
        status.SetCaption("Fetching " + std::to_string(total) + " pending rows from library " + library);
        ui.PumpEvents();
        if (total > 0) {
            do {
                // A row without a document number is listed with an empty
                // "#", so that it can be removed here: no run ever takes it.
                const std::string sid = sql->ColumnValue(1).ToText();
                int row = list.AddItem(sid.empty() ? "" : Whole(sid));
                list.SetSubItem(row, 1, sql->ColumnValue(2).ToText());
                list.SetSubItem(row, 2, Whole(sql->ColumnValue(3).ToText()));
                list.SetSubItem(row, 3, sql->ColumnValue(4).ToText());
                list.SetSubItem(row, 4, Whole(sql->ColumnValue(5).ToText()));
            } while (sql->NextRow());
        }
        sql->ReleaseResults();
    });
    w_.SetCaption("Pending rows in library " + library + " (Total: " + std::to_string(total) + ")");
    ui.SetMousePointer(platform::MousePointer::Default);
    status.SetCaption(keptStatus);
    ui.PumpEvents();
    // An empty list must not pass for an empty queue.
    if (!failure.empty()) {
        p_.ShowMessage("Error: Unable to read the queue of library " + library + " (" + failure + ")",
                       platform::mb::Critical, core::AppTitle());
    }
}

void SummaryForm::RemoveQueueRows() {
    auto& list = w_.ListResults;
    const int selected = list.SelectedCount();
    if (list.Count() == 0 || selected == 0) return;
    const std::string n = std::to_string(selected);
    if (p_.ShowMessage("Are you sure you want to remove " + n + " selected row(s) from NEEDS_ARCHIVING?",
                       platform::mb::YesNo + platform::mb::Question, core::AppTitle()) != platform::mb::AnswerYes) {
        return;
    }
    auto& ui = p_.platform.ui;
    list.SetSorted(false);
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    const int sidColumn = FindColumn(list, "#");
    const int targetColumn = FindColumn(list, "TARGET LIBRARY", true);
    if (sidColumn >= 0 && targetColumn >= 0) {
        p_.WriteLog("Removing " + n + " row(s) from NEEDS_ARCHIVING in library " + p_.ConnectedLibraryName());
        p_.Separator();
        int32_t count = 0;
        std::vector<std::string> failures;
        for (int row = list.Count() - 1; row >= 0; --row) {
            if (!list.Item(row).selected) continue;
            const std::string number = list.CellText(row, sidColumn);
            const int32_t sid = static_cast<int32_t>(dm::LeadingNumber(number));
            const std::string target = list.CellText(row, targetColumn);
            if (target.empty()) continue;
            std::string statement;
            if (number.empty()) {
                statement = core::queue_sql::DeleteUnnumberedRows(target);
            } else if (sid != 0) {
                statement = core::queue_sql::DeleteRow(sid, target);
            } else {
                continue;
            }
            std::string failure;
            const int32_t changed = RunChange(p_, statement, failure);
            if (changed != 0) list.RemoveItem(row);
            count += changed;
            if (!failure.empty()) {
                failures.push_back("Unable to remove " + RowName(number, target) + " (" + failure + ")");
            }
        }
        if (count != 0 || !failures.empty()) {
            ShowOutcome(p_, std::to_string(count) + " row(s) removed from NEEDS_ARCHIVING", failures);
        }
    }
    ui.SetMousePointer(platform::MousePointer::Default);
}

void SummaryForm::ResetQueueRows() {
    auto& list = w_.ListResults;
    const int selected = list.SelectedCount();
    if (list.Count() == 0 || selected == 0) return;
    const std::string n = std::to_string(selected);
    if (p_.ShowMessage("Are you sure you want to reset " + n + " selected row(s) in NEEDS_ARCHIVING?",
                       platform::mb::YesNo + platform::mb::Question, core::AppTitle()) != platform::mb::AnswerYes) {
        return;
    }
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    const int sidColumn = FindColumn(list, "#");
    const int targetColumn = FindColumn(list, "TARGET LIBRARY", true);
    const int lockedColumn = FindColumn(list, "Locked By");
    const int retryColumn = FindColumn(list, "Retry Count");
    if (sidColumn >= 0 && targetColumn >= 0) {
        p_.WriteLog("Resetting " + n + " NEEDS_ARCHIVING row(s) in library " + p_.ConnectedLibraryName());
        p_.Separator();
        int32_t count = 0;
        std::vector<std::string> failures;
        for (int row = 0; row < list.Count(); ++row) {
            if (!list.Item(row).selected) continue;
            const int32_t sid = static_cast<int32_t>(dm::LeadingNumber(list.CellText(row, sidColumn)));
            const std::string target = list.CellText(row, targetColumn);
            if (sid == 0 || target.empty()) continue;
            std::string failure;
            const int32_t changed = RunChange(p_, core::queue_sql::ResetRow(sid, target), failure);
            if (changed != 0) {
                if (lockedColumn >= 0) SetCell(list, row, lockedColumn, "");
                if (retryColumn >= 0) SetCell(list, row, retryColumn, "0");
            }
            count += changed;
            if (!failure.empty()) {
                failures.push_back("Unable to reset " + RowName(list.CellText(row, sidColumn), target) + " (" +
                                   failure + ")");
            }
        }
        if (count != 0 || !failures.empty()) {
            ShowOutcome(p_, std::to_string(count) + " row(s) reset in NEEDS_ARCHIVING", failures);
        }
    }
    ui.SetMousePointer(platform::MousePointer::Default);
}

void SummaryForm::DisplayProfile() {
    auto& list = w_.ListResults;
    if (list.Count() == 0) return;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    const int sidColumn = FindColumn(list, "#");
    const int targetColumn = FindColumn(list, "TARGET LIBRARY", true);
    if (sidColumn >= 0 && targetColumn >= 0) {
        for (int row = 0; row < list.Count(); ++row) {
            if (!list.Item(row).selected) continue;
            const int32_t sid = static_cast<int32_t>(dm::LeadingNumber(list.CellText(row, sidColumn)));
            const std::string target = list.CellText(row, targetColumn);
            if (sid != 0 && !target.empty()) {
                // The profile always comes from the library whose queue is
                // shown; the row's target only has to be named.
                auto& profile = p_.session.CurrentProfile;
                core::PassOver([&] {
                    profile = core::Require(p_.session.ConnectedLibrary)->GetProfile(sid);
                    if (profile) profile->Display(0);
                });
            }
            break;
        }
    }
    ui.SetMousePointer(platform::MousePointer::Default);
}

}  // namespace queueadmin
