#include "queueadmin/next_key.h"

#include <cmath>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "queueadmin/sql_steps.h"

namespace queueadmin {

namespace {

// Document numbers are INTs: the document after the last key needs one.
constexpr long long kLargestLastKey = 2147483646;

}  // namespace

NextKeyForm::NextKeyForm(core::Program& program) : ListWindowCode(program, w_) {
    ConnectShared();
    w_.keyDown.Connect([this](int key, int) {
        if (key == forms::keys::F5) RefreshMe();
        if (key == forms::keys::Escape) w_.Close();
    });
    w_.closeRequested.Connect([this] { w_.Close(); });
    w_.MNChangeLastKey.clicked.Connect([this] { SetProfileLastKey(); });
    w_.MNSelectAll.clicked.Connect([this] { SelectAll(true); });
    w_.MNDeselectAll.clicked.Connect([this] { SelectAll(false); });
}

void NextKeyForm::Show() {
    RefreshMe();
    p_.platform.ui.RunModal(w_);
}

void NextKeyForm::RefreshMe() {
    auto& ui = p_.platform.ui;
    auto& status = p_.MainWindow.LabelStatus;
    const std::string keptStatus = status.Caption();
    const std::string keptLibrary = p_.ConnectedLibraryName();
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    auto& list = w_.ListResults;
    list.Clear();
    list.SetSorted(false);
    std::vector<std::string> names;
    core::GoOn(p_, [&] {
        auto libraries = core::Require(p_.session.DmLibraries);
        for (int32_t i = 1; i <= libraries->Count(); ++i) {
            auto library = core::PassOver([&] { return core::Require(libraries->Item(i))->Name(); });
            if (library) names.push_back(*library);
        }
    });
    for (const std::string& name : names) {
        if (!p_.ConnectLibrary(name)) continue;
        const std::string connected = p_.ConnectedLibraryName();
        status.SetCaption("Fetching LastKeys from library " + connected);
        ui.PumpEvents();
        const double lastKey = dm::LeadingNumber(RunScalar(p_, "SELECT LASTKEY FROM [OWNER].SEQ_PROFILE"));
        if (std::llround(lastKey) == 0) continue;
        int row = list.AddItem(connected);
        list.SetSubItem(row, 1, dm::FormatWhole(lastKey));
    }
    // Sorted by the column and direction the user chose last (at first the
    // library name, ascending).
    list.SetSorted(true);
    p_.ConnectLibrary(keptLibrary);
    w_.SetCaption("Last Assigned Profile Docnumbers");
    ui.SetMousePointer(platform::MousePointer::Default);
    status.SetCaption(keptStatus);
    ui.PumpEvents();
}

void NextKeyForm::SetProfileLastKey() {
    auto& list = w_.ListResults;
    if (list.Count() == 0) return;
    auto& ui = p_.platform.ui;
    const std::string keptLibrary = p_.ConnectedLibraryName();
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    const int libraryColumn = FindColumn(list, "Library");
    const int keyColumn = FindColumn(list, "LastKey");
    if (libraryColumn < 0 || keyColumn < 0) {
        ui.MessageBox("Error: Unable to identify column headings", platform::mb::OkOnly, p_.build.ProductShortName);
    } else {
        p_.Separator();
        int32_t count = 0;
        for (int row = 0; row < list.Count(); ++row) {
            if (!list.Item(row).selected) continue;
            const std::string library = list.CellText(row, libraryColumn);
            const double last = dm::LeadingNumber(list.CellText(row, keyColumn));
            if (library.empty() || !p_.ConnectLibrary(library)) continue;
            const std::string name = p_.ConnectedLibraryName();
            long long wanted = 0;
            bool go = false;
            while (true) {
                auto answer = ui.InputBox("Enter the new value for SEQ_PROFILE.LASTKEY in library " + name + ":",
                                          core::AppTitle(), dm::FormatWhole(last + 100));
                const double read = dm::LeadingNumber(answer.value_or(""));
                std::string refusal;
                if (!(read < kLargestLastKey + 0.5)) {
                    refusal = "Cannot set LastKey to " + core::Trim(answer.value_or("")) + " in library " + name +
                              ": the DM numbers documents up to " + std::to_string(kLargestLastKey + 1) +
                              ", so the last key can be at most " + std::to_string(kLargestLastKey) + " - retry?";
                } else {
                    wanted = read > last ? std::llround(read) : 0;
                    if (static_cast<double>(wanted) > last) {
                        go = true;
                        break;
                    }
                    refusal = "Cannot set LastKey to a value less than " + dm::FormatWhole(last) + " in library " +
                              name + " - retry?";
                }
                int retry = ui.MessageBox(refusal, platform::mb::YesNo, core::AppTitle());
                if (retry != platform::mb::AnswerYes) break;
            }
            if (!go) continue;
            // The DM may have moved on since the list was read: the key is
            // only ever raised, never set below what the DM has assigned.
            const std::string value = std::to_string(wanted);
            std::string failure;
            const int32_t changed = RunChange(
                p_, "UPDATE [OWNER].SEQ_PROFILE SET LASTKEY = " + value + " WHERE LASTKEY < " + value, failure);
            if (!failure.empty()) {
                ui.MessageBox("Error: Unable to set SEQ_PROFILE.LASTKEY to " + value + " in library " + name + " (" +
                                  failure + ")",
                              platform::mb::Critical, core::AppTitle());
                continue;
            }
            if (changed != 0) {
                SetCell(list, row, keyColumn, value);
                count += changed;
                continue;
            }
            const std::string current = RunScalar(p_, "SELECT LASTKEY FROM [OWNER].SEQ_PROFILE", failure);
            if (!failure.empty() || current.empty()) {
                ui.MessageBox("Error: SEQ_PROFILE.LASTKEY in library " + name +
                                  " was not changed, and its value could not be read" +
                                  (failure.empty() ? std::string() : " (" + failure + ")"),
                              platform::mb::Critical, core::AppTitle());
                continue;
            }
            const std::string shown = dm::FormatWhole(dm::LeadingNumber(current));
            SetCell(list, row, keyColumn, shown);
            ui.MessageBox("SEQ_PROFILE.LASTKEY in library " + name + " is already " + shown + " - not changed",
                          platform::mb::Information, core::AppTitle());
        }
        if (count != 0) {
            ui.MessageBox("SEQ_PROFILE.LASTKEY changed in " + std::to_string(count) + " libraries",
                          platform::mb::Information, core::AppTitle());
        }
    }
    p_.ConnectLibrary(keptLibrary);
    ui.SetMousePointer(platform::MousePointer::Default);
}

}  // namespace queueadmin
