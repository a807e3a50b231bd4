#include <algorithm>
#include <cmath>

#include "app/archive_run.h"
#include "app/dorvane_form.h"
#include "config/configuration.h"
#include "core/date_text.h"
#include "core/program.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"

namespace app {

DorvaneForm::DorvaneForm(core::Program& program, config::Configuration& configuration, forms::KestSplash& splash)
    : p_(program), config_(configuration), w_(program.MainWindow), splash_(splash),
      run_(std::make_unique<ArchiveRun>(*this)) {
    Connect();
}

DorvaneForm::~DorvaneForm() = default;

void DorvaneForm::Connect() {
    auto& w = w_;
    w.TabStrip.clicked.Connect([this] { TabStrip_Click(); });
    w.OptionCopy.clicked.Connect([this] { OptionCopy_Click(); });
    w.OptionMove.clicked.Connect([this] { OptionMove_Click(); });
    w.OptionTransfer.clicked.Connect([this] { OptionTransfer_Click(); });
    w.TextLoopDelay.lostFocus.Connect([this] { TextLoopDelay_LostFocus(); });
    w.TextRetryCount.lostFocus.Connect([this] { TextRetryCount_LostFocus(); });
    w.TextPauseStart.lostFocus.Connect([this] { TextPauseStart_LostFocus(); });
    w.TextPauseEnd.lostFocus.Connect([this] { TextPauseEnd_LostFocus(); });
    w.activated.Connect([this] { Form_Activate(); });
    w.keyDown.Connect([this](int key, int shift) { Form_KeyDown(key, shift); });
    w.keyPress.Connect([this](int ch) { Form_KeyPress(ch); });
    w.closeRequested.Connect([this] { Form_Unload(); });
    w.ButtonLock.clicked.Connect([this] { ButtonLock_Click(); });
    w.ButtonLogDir.clicked.Connect([this] { ButtonLogDir_Click(); });
    w.Button_Go.clicked.Connect([this] { Button_Go_Click(); });
    w.Button_Exit.clicked.Connect([this] { Button_Exit_Click(); });
    w.LibBox.columnClicked.Connect([this](int c) { LibBox_ColumnClick(c); });
    w.ListResults.columnClicked.Connect([this](int c) { ListResults_ColumnClick(c); });
    w.MNViewLog.clicked.Connect([this] { MNViewLog_Click(); });
    w.MNPurgeLog.clicked.Connect([this] { MNPurgeLog_Click(); });
    w.MNFileSaveConfig.clicked.Connect([this] { MNFileSaveConfig_Click(); });
    w.MNFileRestoreConfig.clicked.Connect([this] { MNFileRestoreConfig_Click(); });
    w.MNTimeStampLogFile.clicked.Connect([this] { MNTimeStampLogFile_Click(); });
    w.MNExit.clicked.Connect([this] { MNExit_Click(); });
    w.MNSetup.clicked.Connect([this] { MNSetup_Click(); });
    w.MNKestOptions.clicked.Connect([this] { MNKestOptions_Click(); });
    w.MNHelp.clicked.Connect([this] { MNHelp_Click(); });
    w.MNRemove.clicked.Connect([this] { RunSubsystemWindow(windows.removeLibrary); });
    w.MNDorvaneAddQueryDocs.clicked.Connect([this] { RunSubsystemWindow(windows.addQueryDocs); });
    w.MNDorvaneAddAllDocs.clicked.Connect([this] { RunSubsystemWindow(windows.addAllDocs); });
    w.MNDorvaneAddClosedDocMatters.clicked.Connect([this] { RunSubsystemWindow(windows.addClosedDocMatters); });
    w.MNDorvaneCheckLastKeys.clicked.Connect([this] { RunSubsystemWindow(windows.checkLastKeys); });
    w.MNDorvaneEnableMetadata.clicked.Connect([this] { RunSubsystemWindow(windows.enableMetadata); });
    w.MNDorvaneDisplayRows.clicked.Connect([this] { RunSubsystemWindow(windows.displayRows); });

    // The splash window doubles as the About window: any key or a click on
    // its frame closes it.
    auto closeSplash = [this] {
        splash_.SetVisible(false);
        w_.SetEnabled(true);
        w_.SetFocus();
        splash_.Close();
    };
    splash_.keyPress.Connect([closeSplash](int) { closeSplash(); });
    splash_.KestSplashFrame.mouseUp.Connect([closeSplash](int, int) { closeSplash(); });
}

void DorvaneForm::TabStrip_Click() {
    auto& w = w_;
    forms::Frame* all[] = {&w.FrameSourceLibrary, &w.FrameOptions,  &w.FrameListResults,
                           &w.FrameCustomOptions, &w.FrameLibBox, &w.FramePause};
    auto showOnly = [&](std::initializer_list<forms::Frame*> shown) {
        for (forms::Frame* f : all) {
            if (std::find(shown.begin(), shown.end(), f) == shown.end()) f->SetVisible(false);
        }
    };
    const int top = w.TabStrip.Top() + 360;
    auto place = [&](forms::Frame& f, int frameTop) {
        f.SetTop(frameTop);
        f.SetLeft(30);
        f.SetVisible(true);
    };
    switch (w.TabStrip.SelectedIndex()) {
        case forms::Dorvane::TabGeneral:
            showOnly({&w.FrameSourceLibrary, &w.FrameOptions, &w.FrameListResults});
            place(w.FrameSourceLibrary, top);
            place(w.FrameOptions, w.FrameSourceLibrary.Top() + w.FrameSourceLibrary.Height() - 120);
            place(w.FrameListResults, w.FrameOptions.Top() + w.FrameOptions.Height() - 120);
            break;
        case forms::Dorvane::TabOptions:
            showOnly({&w.FrameCustomOptions});
            place(w.FrameCustomOptions, top);
            break;
        case forms::Dorvane::TabTargets:
            showOnly({&w.FrameLibBox});
            place(w.FrameLibBox, top);
            break;
        case forms::Dorvane::TabPause:
            showOnly({&w.FramePause});
            place(w.FramePause, top);
            break;
        default: break;
    }
}

void DorvaneForm::OptionCopy_Click() { w_.CheckMakeReadOnlySource.SetEnabled(true); }

void DorvaneForm::OptionMove_Click() {
    w_.CheckMakeReadOnlySource.SetValue(0);
    w_.CheckMakeReadOnlySource.SetEnabled(false);
}

void DorvaneForm::OptionTransfer_Click() { OptionMove_Click(); }

namespace {

void NormaliseNumber(forms::TextBox& box) {
    box.SetText(dm::FormatWhole(std::fabs(dm::LeadingNumber(box.Text()))));
}

// One reading of a time for the box and for the pause check: "1730" is
// 17:30 in both. A text that is no time stays as typed; the pause check then
// reports it.
void NormaliseTime(forms::TextBox& box) {
    if (auto t = core::ReadTimeOfDay(box.Text())) box.SetText(*t);
}

}  // namespace

void DorvaneForm::TextLoopDelay_LostFocus() { NormaliseNumber(w_.TextLoopDelay); }
void DorvaneForm::TextRetryCount_LostFocus() { NormaliseNumber(w_.TextRetryCount); }
void DorvaneForm::TextPauseStart_LostFocus() { NormaliseTime(w_.TextPauseStart); }
void DorvaneForm::TextPauseEnd_LostFocus() { NormaliseTime(w_.TextPauseEnd); }

void DorvaneForm::Form_Activate() {
    p_.platform.ui.SetMousePointer(platform::MousePointer::Default);
    p_.SetStatusForm(&w_);
}

}  // namespace app

namespace app {

void DorvaneForm::Button_Go_Click() { run_->Button_Go_Click(); }
void DorvaneForm::Button_Exit_Click() { run_->Button_Exit_Click(); }
bool DorvaneForm::CheckForPause() { return run_->CheckForPause(); }

}  // namespace app
