#include "queueadmin/kest_options.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "forms/key_codes.h"

namespace queueadmin {

KestOptionsForm::KestOptionsForm(core::Program& program) : p_(program) {
    w_.ComboLibList.clicked.Connect([this] { ComboLibList_Click(); });
    w_.ComboPropertyItem.clicked.Connect([this] { ComboPropertyItem_Click(); });
    w_.ButtonExit.clicked.Connect([this] { ButtonExit_Click(); });
    w_.closeRequested.Connect([this] { Form_Unload(); });
    // Escape is the close button's key.
    w_.keyDown.Connect([this](int key, int) {
        if (key == forms::keys::Escape) ButtonExit_Click();
    });
}

void KestOptionsForm::Show() {
    Form_Load();
    p_.platform.ui.RunModal(w_);
    // A window closed by the host rather than by its own handlers still
    // gives the session back.
    if (!openingLibrary_.empty()) Form_Unload();
}

void KestOptionsForm::Form_Load() {
    auto& ui = p_.platform.ui;
    loading_ = true;
    w_.ComboLibList.Clear();
    w_.ComboPropertyItem.Clear();
    w_.LabelPropertyResult.SetCaption("");
    for (forms::Label* panel : {&w_.StatusBarInfo1, &w_.StatusBarInfo2, &w_.StatusBarInfo3}) panel->SetCaption("");
    properties_.reset();
    auto& library = p_.session.ConnectedLibrary;
    if (!library) {
        loading_ = false;
        ui.MessageBox("Library object not set - cannot continue", platform::mb::Critical, core::AppTitle());
        return;
    }
    openingLibrary_ = core::PassOver([&] { return library->Name(); }).value_or("");
    FillStatusBar();
    core::PassOver([&] {
        auto libraries = core::Require(p_.session.DmLibraries);
        for (int32_t i = 1; i <= libraries->Count(); ++i) {
            auto item = libraries->Item(i);
            if (item) w_.ComboLibList.AddItem(item->Name());
        }
    });
    loading_ = false;
    const auto& names = w_.ComboLibList.Items();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == openingLibrary_) {
            w_.ComboLibList.SetListIndex(static_cast<int>(i));
            break;
        }
    }
    core::PassOver([&] {
        properties_ = library->Properties();
        if (!properties_) return;
        for (int32_t i = 1; i <= properties_->Count(); ++i) {
            core::PassOver([&] {
                auto property = properties_->Item(i);
                if (property) w_.ComboPropertyItem.AddItem(property->Name());
            });
        }
    });
    if (w_.ComboPropertyItem.Count() > 0) w_.ComboPropertyItem.SetListIndex(0);
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
}

void KestOptionsForm::FillStatusBar() {
    auto primary = core::PassOver([&] {
        auto library = core::Require(p_.session.DmApplication)->PrimaryLibrary();
        return library ? library->Name() : std::string();
    });
    w_.StatusBarInfo1.SetCaption(primary.value_or(""));
    auto& connected = p_.session.ConnectedLibrary;
    w_.StatusBarInfo2.SetCaption(
        core::PassOver([&] { return core::Require(connected)->UserId(); }).value_or(""));
    w_.StatusBarInfo3.SetCaption(
        core::PassOver([&] { return core::Require(connected)->PrimaryGroup(); }).value_or(""));
}

void KestOptionsForm::ShowChosenValue() {
    w_.LabelPropertyResult.SetCaption("");
    const std::string name = w_.ComboPropertyItem.Text();
    if (name.empty()) return;
    // The value comes from the library connected now, read afresh.
    auto value = core::PassOver([&] {
        auto properties = core::Require(p_.session.ConnectedLibrary)->Properties();
        auto property = core::Require(properties)->Item(name);
        return core::Require(property)->Value().ToText();
    });
    w_.LabelPropertyResult.SetCaption(value.value_or(""));
}

void KestOptionsForm::ComboPropertyItem_Click() {
    if (loading_) return;
    ShowChosenValue();
}

void KestOptionsForm::ComboLibList_Click() {
    if (loading_) return;
    const std::string chosen = w_.ComboLibList.Text();
    if (chosen == p_.ConnectedLibraryName()) return;
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    p_.ConnectLibrary(chosen);
    FillStatusBar();
    ShowChosenValue();
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
}

void KestOptionsForm::ButtonExit_Click() { Form_Unload(); }

void KestOptionsForm::Form_Unload() {
    if (!openingLibrary_.empty()) p_.ConnectLibrary(openingLibrary_);
    openingLibrary_.clear();
    w_.Close();
}

}  // namespace queueadmin
