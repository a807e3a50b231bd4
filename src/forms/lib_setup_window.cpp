#include "forms/lib_setup_window.h"

namespace forms {

// Controls are registered in focus order.
DorvaneLibSetup::DorvaneLibSetup() : Window("DorvaneLibSetup", "Dorvane Source Library Setup") {
    Register({&FrameTop, &SourceLibraryLabel, &SourceLibraryCombo, &TargetLibraryLabel, &TargetLibraryCombo,
              &FrameItems});
    for (auto& row : Rows()) Register({&row.label, &row.text, &row.lookup, &row.include});
    Register({&FrameStorageType, &StorageTypeLabel, &StorageTypeCombo, &CheckIncST, &FrameStatus, &LabelStatus,
              &FrameButtons, &ButtonBuildLib, &ButtonBuildTriggers, &ButtonCancel});
    Resize(8400, 7800);
}

std::array<DorvaneLibSetup::CriterionRow, DorvaneLibSetup::kCriterionRows> DorvaneLibSetup::Rows() {
    return {{{LabelGroups, TextGroups, ButtonGroups, CheckGroups},
             {LabelTypist, TextTypist, ButtonTypist, CheckTypist},
             {LabelAuthor, TextAuthor, ButtonAuthor, CheckAuthor},
             {LabelDocTypes, TextDocTypes, ButtonDocTypes, CheckDocTypes},
             {LabelApps, TextApps, ButtonApps, CheckApps},
             {LabelMatter, TextMatter, ButtonMatter, CheckMatter}}};
}

}  // namespace forms
