#include "app/archive_run.h"
#include "app/dorvane_form.h"
#include "config/configuration.h"
#include "core/program.h"
#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"

namespace app {

namespace {

constexpr int kDarkBlue = 0xC00000;

std::string HelpText(const std::string& loopDelay, const std::string& retryCount, const std::string& batchSize,
                     const std::string& sourceLib, const std::string& firstTarget) {
    const char* const crlf = "\r\n";
    std::string t;
    for (const char* line : {"/A - Process Activitylog entries*", "/D - Remove Archived/Deleted Docs from Target*",
                             "/G - Start Automatically", "/K - to lock program options*",
                             "       (Note: Press Ctrl-Alt-Ins to lock/unlock keyboard)", "/L - Loop Continuously",
                             "/P - Process Folders*", "/R - Retain Document Number*", "/F - Transfer Documents*",
                             "/V - Verbose Logging", "/X - Exit upon completion", "",
                             "(items with * - follow by an X to disable the option; ie, /AX turns off Process Actlog "
                             "entries)",
                             ""}) {
        t += std::string(line) + crlf;
    }
    t += "LOOPDELAY = " + loopDelay + " [Delay Time Between Looping]" + crlf;
    t += "RETRYCOUNT = " + retryCount + " [Retry Count]" + crlf;
    t += "BATCHSIZE = " + batchSize + " [Batch Size]" + crlf;
    t += std::string("SOURCELIB = name") + crlf;
    t += "[Name of Source Library (ie, SOURCELIB=" + sourceLib + ")]" + crlf;
    t += crlf;
    t += std::string("TARGETLIB = name") + crlf;
    t += "[Name of Target Library (ie, TARGETLIB=" + firstTarget + ")]" + crlf;
    t += std::string("(Note: Specify one TARGETLIB = name line for each target library)") + crlf;
    t += crlf;
    t += "Use ['] or [;] to denote comments";
    return t;
}

}  // namespace

void DorvaneForm::Form_KeyDown(int keyCode, int shift) {
    auto& run = p_.run;
    if (keyCode == forms::keys::Escape) {
        if (run.RunActiveFlag && !run.CancelRequestedFlag) {
            w_.LabelStatus.SetForeColor(kDarkBlue);
            // Only ask for the cancel: the run stays active until it has
            // ended, so closing the window meanwhile cannot end the program in
            // the middle of a document.
            run.CancelRequestedFlag = true;
            p_.ShowMessage(run.PausingFlag ? "Pause Canceled" : "Task Canceled", platform::mb::Information,
                           core::AppTitle());
        }
        return;
    }
    if (keyCode == forms::keys::Insert && shift == forms::keys::ShiftMask) {
        run.OptionsLockFlag = !run.OptionsLockFlag;
        CheckLock();
        return;
    }
    if (keyCode == forms::keys::F9) {
        auto whole = [](const std::string& s) { return dm::FormatWhole(dm::LeadingNumber(s)); };
        std::string firstTarget = w_.LibBox.Count() > 0 ? w_.LibBox.Item(0).text : "";
        p_.ShowMessage(HelpText(whole(w_.TextLoopDelay.Text()), whole(w_.TextRetryCount.Text()),
                                whole(w_.TextBatchSize.Text()), w_.SourceLibraryCombo.Text(), firstTarget),
                       platform::mb::Information, "Ini file " + run.IniFilePath + " Options:");
        return;
    }
    if (keyCode == forms::keys::F12) {
        if (w_.TabStrip.SelectedIndex() == forms::Dorvane::TabTargets) {
            for (int i = 0; i < w_.LibBox.Count(); ++i) w_.LibBox.SetChecked(i, !w_.LibBox.Item(i).checked);
        }
    }
}

void DorvaneForm::Form_KeyPress(int charCode) {
    int size = w_.ListResults.FontSize();
    if (charCode == '+' && size <= 16) w_.ListResults.SetFontSize(size + 2);
    if (charCode == '-' && size >= 8) w_.ListResults.SetFontSize(size - 2);
}

void DorvaneForm::Form_Unload() {
    auto& run = p_.run;
    if (run.RunActiveFlag) {
        run.CancelRequestedFlag = true;
        p_.ShowMessage(run.PausingFlag ? "Pause Canceled" : "Task Canceled", platform::mb::Information,
                       core::AppTitle());
        return;
    }
    p_.EndProgram(0);
}

void DorvaneForm::EndRequested(const std::string& reason, int exitStatus) {
    auto& run = p_.run;
    if (run.EndStatus == 0) run.EndStatus = exitStatus;
    p_.WriteLog("Warning: " + reason + " - ending the program");
    p_.Separator();
    if (run.RunActiveFlag) {
        // The run stops at its next cancel test, after the document in
        // hand, releases this computer's rows, and its end ends the program.
        run.CancelRequestedFlag = true;
        return;
    }
    p_.EndProgram(run.EndStatus);
}

void DorvaneForm::ButtonLock_Click() {
    p_.run.OptionsLockFlag = !p_.run.OptionsLockFlag;
    CheckLock();
}

void DorvaneForm::ButtonLogDir_Click() {
    auto& reg = p_.platform.registry;
    std::string stored = reg.GetSetting(core::kProductName, "General", "LogFile", "");
    platform::FileDialogRequest request;
    request.initialDir = stored.empty() ? p_.platform.system.ProgramFolder() : stored;
    request.fileName = stored.empty() ? p_.log.LogFilePath : stored;
    request.title = "Select location for log file:";
    request.defaultExt = "LOG";
    request.filter = "Log files (*.log)|*.log";
    auto chosen = p_.platform.ui.SaveFileDialog(request);
    if (!chosen || chosen->empty()) return;
    p_.log.LogFilePath = *chosen;
    reg.SaveSetting(core::kProductName, "General", "LogFile", p_.log.LogFilePath);
    w_.ButtonLogDir.SetToolTip(p_.log.LogFilePath);
}

void DorvaneForm::LibBox_ColumnClick(int column) {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    p_.MonitorHeartbeat();
    w_.LibBox.SetSortKey(column);
    w_.LibBox.SetSorted(true);
    w_.LibBox.SetSortOrder(libBoxSortOrder_ == 1 ? 0 : 1);
    libBoxSortOrder_ = w_.LibBox.SortOrder();
    ui.PumpEvents();
    ui.SetMousePointer(platform::MousePointer::Default);
}

void DorvaneForm::ListResults_ColumnClick(int column) {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    auto& list = w_.ListResults;
    std::string caption =
        column >= 0 && column < static_cast<int>(list.Columns().size()) ? list.Columns()[column].caption : "";
    list.SetSortKey(column);
    int order = caption != resultsSortColumn_ ? 0 : (resultsSortOrder_ == 1 ? 0 : 1);
    list.SetSortOrder(order);
    resultsSortOrder_ = list.SortOrder();
    resultsSortColumn_ = caption;
    list.SetSorted(true);
    ui.SetMousePointer(platform::MousePointer::Default);
}

void DorvaneForm::MNViewLog_Click() {
    if (p_.log.CurrentLogFile.empty()) p_.log.CurrentLogFile = p_.log.LogFilePath;
    p_.ViewLogFile(p_.log.CurrentLogFile);
}

void DorvaneForm::MNPurgeLog_Click() { p_.RemoveFile(p_.log.CurrentLogFile, true); }

void DorvaneForm::MNFileSaveConfig_Click() {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    std::string saved = w_.LabelStatus.Caption();
    config_.SaveConfiguration();
    p_.ShowMessage("Settings saved", platform::mb::Information, core::AppTitle());
    ui.SetMousePointer(platform::MousePointer::Default);
    w_.LabelStatus.SetCaption(saved);
}

void DorvaneForm::MNFileRestoreConfig_Click() {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    std::string saved = w_.LabelStatus.Caption();
    config_.RestoreConfiguration();
    p_.ShowMessage("Settings restored", platform::mb::Information, core::AppTitle());
    ui.SetMousePointer(platform::MousePointer::Default);
    w_.LabelStatus.SetCaption(saved);
}

void DorvaneForm::MNTimeStampLogFile_Click() { w_.MNTimeStampLogFile.SetChecked(!w_.MNTimeStampLogFile.Checked()); }

void DorvaneForm::MNExit_Click() { Button_Exit_Click(); }

void DorvaneForm::MNSetup_Click() {
    std::string saved = w_.LabelStatus.Caption();
    if (!windows.setupLibrary) {
        NotAvailableYet();
    } else {
        w_.SetEnabled(false);
        windows.setupLibrary();
        w_.SetEnabled(true);
    }
    w_.LabelStatus.SetCaption(saved);
}

void DorvaneForm::MNKestOptions_Click() {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    if (windows.dmSettings) {
        windows.dmSettings();
    } else {
        NotAvailableYet();
    }
    ui.SetMousePointer(platform::MousePointer::Default);
}

void DorvaneForm::MNHelp_Click() {
    auto& ui = p_.platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    p_.MonitorHeartbeat();
    splash_.ProductName.SetCaption(std::string(core::kProductName) + " " + VersionText());
    splash_.KestVersion.SetCaption("Build " + p_.build.BuildNumber + " - " + p_.build.BuildDate);
    splash_.LabelStatus.SetCaption("Press any key to continue");
    ui.SetMousePointer(platform::MousePointer::Default);
    p_.MonitorHeartbeat();
    ui.RunModal(splash_);
}

void DorvaneForm::RunSubsystemWindow(const std::function<void()>& show) {
    if (show) {
        show();
    } else {
        NotAvailableYet();
    }
}

void DorvaneForm::NotAvailableYet() {
    p_.ShowMessage("This command is not available in this version of " + std::string(core::kProductName) + ".",
                   platform::mb::Information, core::AppTitle());
}

void DorvaneForm::SetSessionMenusEnabled(bool enabled) {
    for (forms::MenuItem* item :
         {&w_.MNFileSaveConfig, &w_.MNFileRestoreConfig, &w_.MNSetup, &w_.MNRemove, &w_.MNDorvaneAddQueryDocs,
          &w_.MNDorvaneAddAllDocs, &w_.MNDorvaneAddClosedDocMatters, &w_.MNDorvaneCheckLastKeys,
          &w_.MNDorvaneEnableMetadata, &w_.MNDorvaneDisplayRows, &w_.MNKestOptions}) {
        item->SetEnabled(enabled);
    }
}

}  // namespace app
