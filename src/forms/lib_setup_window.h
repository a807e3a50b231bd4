#pragma once
// The library setup window "DorvaneLibSetup": the source and target library,
// the six criterion rows, the storage type, the status line and the build
// buttons. The program reads the trigger definition from these controls at
// the moment it builds or saves it.

#include <array>

#include "forms/button.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/text_box.h"
#include "forms/window.h"

namespace forms {

class DorvaneLibSetup : public Window {
public:
    DorvaneLibSetup();

    // One criterion row: its caption, the list's text, the lookup button
    // ".." and the "Include" box.
    struct CriterionRow {
        Label& label;
        TextBox& text;
        Button& lookup;
        CheckBox& include;
    };
    static constexpr int kCriterionRows = 6;
    // Top to bottom: Group, Typist, Author, Document Type, Application,
    // Matter.
    std::array<CriterionRow, kCriterionRows> Rows();

    Frame FrameTop{"FrameTop"};
    Label SourceLibraryLabel{"SourceLibraryLabel", "Select the &source library:"};
    ComboBox SourceLibraryCombo{"SourceLibraryCombo", kLibraryTip};
    Label TargetLibraryLabel{"TargetLibraryLabel", "Select the &target library:"};
    ComboBox TargetLibraryCombo{"TargetLibraryCombo", kLibraryTip};

    Frame FrameItems{"FrameItems"};
    Label LabelGroups{"LabelGroups", "Group:"};
    TextBox TextGroups{"TextGroups"};
    Button ButtonGroups{"ButtonGroups", ".."};
    CheckBox CheckGroups{"CheckGroups", "Include"};
    Label LabelTypist{"LabelTypist", "Typist:"};
    TextBox TextTypist{"TextTypist"};
    Button ButtonTypist{"ButtonTypist", ".."};
    CheckBox CheckTypist{"CheckTypist", "Include"};
    Label LabelAuthor{"LabelAuthor", "Author:"};
    TextBox TextAuthor{"TextAuthor"};
    Button ButtonAuthor{"ButtonAuthor", ".."};
    CheckBox CheckAuthor{"CheckAuthor", "Include"};
    Label LabelDocTypes{"LabelDocTypes", "Document Type:"};
    TextBox TextDocTypes{"TextDocTypes"};
    Button ButtonDocTypes{"ButtonDocTypes", ".."};
    CheckBox CheckDocTypes{"CheckDocTypes", "Include"};
    Label LabelApps{"LabelApps", "Application:"};
    TextBox TextApps{"TextApps"};
    Button ButtonApps{"ButtonApps", ".."};
    CheckBox CheckApps{"CheckApps", "Include"};
    Label LabelMatter{"LabelMatter", "Matter:"};
    TextBox TextMatter{"TextMatter"};
    Button ButtonMatter{"ButtonMatter", ".."};
    CheckBox CheckMatter{"CheckMatter", "Include"};

    Frame FrameStorageType{"FrameStorageType"};
    Label StorageTypeLabel{"StorageTypeLabel", "Specific StorageType:"};
    ComboBox StorageTypeCombo{"StorageTypeCombo", kLibraryTip};
    CheckBox CheckIncST{"CheckIncST", "Include"};

    Frame FrameStatus{"FrameStatus", "Status:"};
    Label LabelStatus{"LabelStatus"};

    Frame FrameButtons{"FrameButtons"};
    Button ButtonBuildLib{"ButtonBuildLib", "&Build Library",
                          "Press this button to setup Dorvane in the source library"};
    Button ButtonBuildTriggers{"ButtonBuildTriggers", "&Make Triggers",
                               "Press this button to re-create the Dorvane triggers in the Source Library"};
    Button ButtonCancel{"ButtonCancel", "&Close", "Press the Cancel button to ignore these settings"};

private:
    static constexpr const char* kLibraryTip =
        "Select the library which will be your validation data source (the other libraries will be the targets)";
};

}  // namespace forms
