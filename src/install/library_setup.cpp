#include "install/library_setup.h"

#include "core/dm_calls.h"
#include "core/text.h"
#include "core/program.h"
#include "forms/main_window.h"
#include "install/cached_facts.h"
#include "install/definition_store.h"
#include "platform/ui_host.h"

namespace install {

namespace {

constexpr const char* kStorageTypes[] = {"***ALL***", "Archive", "Delete", "Keep", "Optical", "Paper", "Template"};

}  // namespace

LibrarySetup::LibrarySetup(core::Program& program) : p_(program) {
    w_.activated.Connect([this] { Form_Activate(); });
    w_.closeRequested.Connect([this] { Form_Unload(); });
    w_.SourceLibraryCombo.lostFocus.Connect([this] { SourceLibraryCombo_LostFocus(); });
    w_.TargetLibraryCombo.lostFocus.Connect([this] { TargetLibraryCombo_LostFocus(); });
    w_.ButtonCancel.clicked.Connect([this] { ButtonCancel_Click(); });
    w_.ButtonBuildLib.clicked.Connect([this] { ButtonBuildLib_Click(); });
    w_.ButtonBuildTriggers.clicked.Connect([this] { ButtonBuildTriggers_Click(); });
    int index = 0;
    for (auto& row : w_.Rows()) {
        row.lookup.clicked.Connect([this, index] { CriterionButton_Click(index); });
        row.text.gotFocus.Connect([this, index] { CriterionText_GotFocus(index); });
        row.text.lostFocus.Connect([this, index] { CriterionText_LostFocus(index); });
        ++index;
    }
}

LibrarySetup::~LibrarySetup() {
    if (p_.StatusForm() == &w_) p_.SetStatusForm(nullptr);
}

void LibrarySetup::Show() {
    Form_Load();
    if (unloaded_) return;  // a failed loading closed the window
    Form_Activate();
    p_.platform.ui.RunModal(w_);
    // However the window went away, its closing steps run once.
    if (!unloaded_) Form_Unload();
}

void LibrarySetup::Form_Load() {
    auto& ui = p_.platform.ui;
    loadFailed_ = false;
    unloaded_ = false;
    try {
        loadStatus_ = p_.MainWindow.LabelStatus.Caption();
        loadLibrary_ = p_.ConnectedLibraryName();
        DefinitionUncommitted = false;
        p_.MainWindow.LabelStatus.SetCaption("Loading setup form");
        ui.SetMousePointer(platform::MousePointer::Hourglass);
        ui.PumpEvents();

        // Every showing builds the lists anew.
        w_.SourceLibraryCombo.Clear();
        w_.TargetLibraryCombo.Clear();
        w_.StorageTypeCombo.Clear();
        UndoText.clear();
        for (auto& row : w_.Rows()) {
            row.text.SetText("");
            row.include.SetValue(forms::CheckBox::Unchecked);
            row.lookup.SetVisible(static_cast<bool>(criterionLookups.choose));
        }
        w_.CheckIncST.SetValue(forms::CheckBox::Unchecked);
        w_.LabelStatus.SetCaption("");
        w_.TargetLibraryCombo.AddItem(kAllEntries);
        auto& libraries = core::Require(p_.session.DmLibraries);
        const int32_t count = libraries->Count();
        for (int32_t i = 1; i <= count; ++i) {
            const std::string name = core::Upper(core::Require(libraries->Item(i))->Name());
            w_.SourceLibraryCombo.AddItem(name);
            w_.TargetLibraryCombo.AddItem(name);
        }
        w_.SourceLibraryCombo.SetListIndex(0);
        w_.TargetLibraryCombo.SetListIndex(0);
        for (const char* type : kStorageTypes) w_.StorageTypeCombo.AddItem(type);
        w_.StorageTypeCombo.SetListIndex(0);

        if (!ConnectStoredSource(p_)) {
            ExitAfterFailure();
            return;
        }
        SetBuildButtons(true);
        LoadDefinition(p_, w_);

        p_.WriteLog("Checking for Matter link to profile");
        p_.Separator();
        p_.RunSQL("SELECT COUNT(*) FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'PROFILE' AND COLNAME = 'MATTER' AND "
                  "CMSKEY = 'F'");
        auto& sql = core::Require(p_.session.PcdSql);
        const bool matterLinked = dm::LeadingNumber(sql->ColumnValue(1).ToText()) != 0;
        sql->ReleaseResults();
        // Without the link the Matter row is greyed; its values are kept.
        const std::initializer_list<forms::Control*> matterRow = {&w_.LabelMatter, &w_.TextMatter, &w_.ButtonMatter,
                                                                  &w_.CheckMatter};
        for (forms::Control* c : matterRow) c->SetEnabled(matterLinked);

        ui.SetMousePointer(platform::MousePointer::Default);
        p_.MainWindow.LabelStatus.SetCaption(loadStatus_);
    } catch (const dm::DmError& e) {
        Message("Error: Unable to load setup form", platform::mb::Exclamation);
        p_.ShowStatus("Error: Unable to process this item");
        p_.ReportError(e);
        ExitAfterFailure();
    }
}

void LibrarySetup::ExitAfterFailure() {
    loadFailed_ = true;
    core::PassOver([&] {
        if (!p_.ConnectLibrary(loadLibrary_)) {
            Message("Error: Unable to connect to library " + loadLibrary_, platform::mb::Critical);
        }
    });
    p_.platform.ui.SetMousePointer(platform::MousePointer::Default);
    p_.MainWindow.LabelStatus.SetCaption(loadStatus_);
    Form_Unload();
}

void LibrarySetup::Form_Activate() {
    p_.SetStatusForm(&w_);
    p_.platform.ui.SetMousePointer(platform::MousePointer::Default);
    p_.platform.ui.PumpEvents();
}

void LibrarySetup::SetBuildButtons(bool loading) {
    // The table may have been made or dropped since the library's facts
    // were cached, by another computer or by hand.
    RefreshQueueTableFact(p_);
    const bool installed = p_.facts.QueueTableExists;
    w_.ButtonBuildLib.SetEnabled(loading || !installed);
    w_.ButtonBuildTriggers.SetEnabled(installed);
}

void LibrarySetup::SourceLibraryCombo_LostFocus() {
    core::PassOver([&] {
        if (w_.SourceLibraryCombo.Text() == w_.TargetLibraryCombo.Text()) {
            Message("Error: You cannot select the same library for both source and target!",
                    platform::mb::Exclamation);
            w_.TargetLibraryCombo.SetListIndex(0);
            return;
        }
        if (!p_.ConnectLibrary(w_.SourceLibraryCombo.Text())) {
            Message("Error: Unable to connect Dorvane to library " + w_.SourceLibraryCombo.Text(),
                    platform::mb::Critical);
            w_.TargetLibraryCombo.SetListIndex(0);
        }
        SetBuildButtons(false);
    });
}

void LibrarySetup::TargetLibraryCombo_LostFocus() {
    core::PassOver([&] {
        if (w_.SourceLibraryCombo.Text() == w_.TargetLibraryCombo.Text()) {
            Message("Error: You cannot select the same library for both source and target!",
                    platform::mb::Exclamation);
            w_.TargetLibraryCombo.SetListIndex(0);
        }
    });
}

void LibrarySetup::ButtonCancel_Click() {
    DefinitionUncommitted = true;
    Form_Unload();
}

void LibrarySetup::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    const std::string remembered = p_.ConnectedLibraryName();
    // A window that did not load shows no definition of the user's: nothing
    // of it is stored, and no library becomes the source.
    if (!loadFailed_) {
        try {
            SaveDefinition(p_, w_, DefinitionUncommitted);
        } catch (const dm::DmError& e) {
            p_.ShowStatus("Error: Unable to process this item");
            p_.ReportError(e);
        }
    }
    core::PassOver([&] {
        if (!p_.ConnectLibrary(remembered)) {
            Message("Error: Unable to connect to library " + remembered, platform::mb::Critical);
        }
    });
    if (!loadFailed_) p_.MainWindow.SourceLibraryCombo.SetText(w_.SourceLibraryCombo.Text());
    ui.SetMousePointer(platform::MousePointer::Default);
    p_.MainWindow.SetVisible(true);
    p_.MainWindow.SetEnabled(true);
    // The main window shows the status texts again.
    if (p_.StatusForm() == &w_) p_.SetStatusForm(nullptr);
    w_.Close();
}

void LibrarySetup::CriterionButton_Click(int row) {
    if (!criterionLookups.choose) return;
    // A lookup with a result replaces the box's text; without one the box
    // keeps it.
    core::PassOver([&] {
        if (auto text = criterionLookups.choose(row)) w_.Rows()[row].text.SetText(*text);
    });
}

void LibrarySetup::CriterionText_GotFocus(int row) { UndoText = core::Trim(w_.Rows()[row].text.Text()); }

void LibrarySetup::CriterionText_LostFocus(int row) {
    forms::TextBox& box = w_.Rows()[row].text;
    if (!criterionLookups.check) {
        box.SetText(core::Trim(box.Text()));
        return;
    }
    CriterionLookups::Entry entry{core::Trim(box.Text()), true};
    core::PassOver([&] { entry = criterionLookups.check(row, box.Text(), UndoText); });
    box.SetText(entry.text);
    if (!entry.refused) return;
    p_.platform.ui.Beep();
    box.SetText(UndoText);
    box.SetFocus();
}

int LibrarySetup::Ask(const std::string& text) {
    return p_.ShowMessage(text, platform::mb::YesNo | platform::mb::Question, core::AppTitle());
}

void LibrarySetup::Message(const std::string& text, int style) { p_.ShowMessage(text, style, core::AppTitle()); }

}  // namespace install
