#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/archive_run.h"
#include "app/build_info.h"
#include "app/dorvane_form.h"
#include "app/switches.h"
#include "config/configuration.h"
#include "core/date_text.h"
#include "core/dm_calls.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"

namespace app {

namespace {

using core::Trim;
using core::Upper;

const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

const char* const kDmVersionKeys[] = {"HKEY_LOCAL_MACHINE\\Software\\DodiDida\\PowerDOCS\\",
                                      "HKEY_LOCAL_MACHINE\\Software\\DodiDida\\dIRAZ DM Extensions API\\"};

std::string UnknownSwitchWarning(const std::string& word) {
    return "Warning: Unknown command-line switch '" + word + "' ignored";
}

}  // namespace

std::string DorvaneForm::VersionText() const {
    std::string text = p_.build.DmVersion;
    if (!p_.build.DmPatchLevel.empty()) text += " build " + p_.build.DmPatchLevel;
    if (text.empty()) return "";
    text = "\r\n(dIRAZ " + text + ")";
    size_t release = text.find("(Release)");
    if (release != std::string::npos) {
        text = Trim(text.substr(0, release)) + Trim(text.substr(release + 9));
    }
    return text;
}

void DorvaneForm::SetStartupBoxText(const std::string& text, int icon) {
    p_.WriteLog(text);
    p_.Separator();
    if (!p_.Options().Loop() && p_.run.CommandLine.empty()) {
        p_.platform.ui.MessageBox(text, icon, core::AppTitle());
    }
}

void DorvaneForm::Form_Load() {
    auto& ui = p_.platform.ui;
    auto& reg = p_.platform.registry;
    auto& run = p_.run;
    auto& build = p_.build;
    const std::string app = core::kProductName;
    auto splashStatus = [&](const std::string& text) { splash_.LabelStatus.SetCaption(text); };

    // Without a display nobody can use the window: only a run (/G, on the
    // command line or in the INI file) has anything to do, and it ends the
    // program after it. A start without one ends before it reads or writes
    // anything (settings, log, DM), so that nothing is answered or saved
    // for the next start with a display.
    if (!ui.HasDisplay()) {
        const std::string commandLine = Upper(Trim(p_.platform.system.ProcessCommandLine()));
        if (!HasSwitch(commandLine, "/G") && !config_.IniHasSwitch("/G")) {
            for (const auto& word : UnknownSwitches(commandLine)) {
                p_.platform.system.WriteStandardError(UnknownSwitchWarning(word));
            }
            p_.platform.system.WriteStandardError(
                "Error: No display and no /G switch - without a display only an unattended run can start "
                "(dorvane /G /X) - I will end the program now");
            p_.platform.system.EndProcess(2);
        }
    }

    // The main window, disabled while the program loads
    p_.SetStatusForm(&w_);
    w_.SetCaption(core::AppTitle());
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    w_.SetEnabled(false);
    ui.PumpEvents();

    // Build and DM versions
    VersionDate version = ProgramVersion();
    build.BuildDate = BuildDateOf(version);
    build.BuildNumber = BuildNumberOf(version);
    for (const char* key : kDmVersionKeys) {
        if (build.DmVersion.empty()) build.DmVersion = p_.ReadRegistryPath(std::string(key) + "CurrentVersion");
    }
    for (const char* key : kDmVersionKeys) {
        if (build.DmPatchLevel.empty()) build.DmPatchLevel = p_.ReadRegistryPath(std::string(key) + "PatchLevel");
    }
    p_.facts.SqlOwner = "DOCSADM";

    // Splash window
    p_.SetStatusForm(&splash_);
    w_.SetVisible(false);
    ui.PumpEvents();
    splash_.ProductName.SetCaption(splash_.ProductName.Caption() + " " + VersionText());
    splash_.KestVersion.SetCaption("Build " + build.BuildNumber + " - " + build.BuildDate);
    splash_.SetVisible(true);
    ui.PumpEvents();
    splash_.SetFocus();
    splashStatus("One moment...");
    ui.PumpEvents();

    // Window position, centred when it lies off the screen; the option lock
    auto [screenWidth, screenHeight] = ui.ScreenSizeTwips();
    int left = static_cast<int>(dm::LeadingNumber(
        reg.GetSetting(app, "General", "Screen.Left", std::to_string((screenWidth - w_.Width()) / 2))));
    int top = static_cast<int>(dm::LeadingNumber(
        reg.GetSetting(app, "General", "Screen.Top", std::to_string((screenHeight - w_.Height()) / 2))));
    run.OptionsLockFlag = dm::LeadingNumber(reg.GetSetting(app, "General", "Locked", "0")) != 0;
    CheckLock();
    if (top >= screenHeight || top < 0) top = std::max(0, (screenHeight - w_.Height()) / 2);
    if (left >= screenWidth || left < 0) left = std::max(0, (screenWidth - w_.Width()) / 2);
    w_.Move(left, top);

    // Command line, log settings, unknown switches, a writable settings folder
    splashStatus("Getting Command Line Parameters");
    ui.PumpEvents();
    ReadLogSettings();
    if (HasSwitch(run.CommandLine, "/P") || HasSwitch(run.CommandLine, "/PX")) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(p_.log.LogFilePath, ec)) std::filesystem::remove(p_.log.LogFilePath, ec);
    }
    for (const auto& word : UnknownSwitches(run.CommandLine)) {
        p_.WriteLogAndStandardError(UnknownSwitchWarning(word));
    }
    // Every start saves settings; a folder that cannot take them is found
    // now, before the session, and not by an abort on the first save.
    try {
        reg.CheckWritable();
    } catch (const platform::RegistryError& e) {
        const std::string text = std::string("Error: Unable to save settings - ") + e.what() + " (set DORVANE_HOME "
                                 "to a writable folder) - I will end the program now";
        p_.WriteLogAndStandardError(text);
        p_.Separator();
        p_.ShowMessage(text, platform::mb::Critical, core::AppTitle());
        p_.EndProgram(2);
        return;
    }

    // Pause days; the first log line
    w_.TVPause.Clear();
    for (const char* day : kWeekdays) w_.TVPause.AddNode(day, day);
    splashStatus("Connecting to DodiDida dIRAZ " + build.DmVersion + " patch " + build.DmPatchLevel);
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    auto now = platform::ToLocal(p_.platform.clock.Now());
    p_.WriteLog(app + " Build " + build.BuildNumber + " (" + build.BuildDate + ") initiating startup on " +
                core::LongDate(now) + " at " + core::LongTime(now) + " using DM " + build.DmVersion + " patch " +
                build.DmPatchLevel);
    p_.Separator();

    // DM session
    if (!p_.StartFusion()) {
        p_.ShowMessage("Error: Unable to start the DM " + build.DmVersion + " (patch " + build.DmPatchLevel +
                           ") application (" + splash_.LabelStatus.Caption() + ") - I will end the program now",
                       platform::mb::Critical, core::AppTitle());
        p_.Separator();
        // Nothing was restored, so the end saves nothing over the stored options.
        p_.EndProgram(2);
        return;
    }

    // Warning on a DM version older than 10
    if (dm::LeadingNumber(build.DmVersion) < 10) {
        SetStartupBoxText(
            "You are running on an unsupported version (" + build.DmVersion +
                ") of dIRAZ. Many profile-related functions will not operate correctly; "
                "specifically any that use the PROFILE.ITEM_TYPE column to identify what type of item (Document, "
                "Email, Folder, Workspace, Record) "
                "is being processed. Therefore, we recommend not running any of the functions that do access the "
                "PROFILE table, until you upgrade "
                "your dIRAZ database(s) to a more recent version. If you have any questions, please contact your "
                "dIRAZ partner or open up a case "
                "on our web support site.",
            platform::mb::Exclamation);
    }

    // Stored options; the library lists
    config_.RestoreConfiguration();
    splashStatus("Placing Libraries");
    splash_.SetFocus();
    ui.PumpEvents();
    PlaceLibraries();
    ui.PumpEvents();

    // One-time notice that the way of storing settings changed
    if (dm::LeadingNumber(reg.GetSetting(app, "Messages", "Check parameters", "0")) == 0) {
        SetStartupBoxText(
            "With this update, please check all your parameters and settings, as the method to save and retrieve "
            "them has changed. "
            "If you are updating from a version dated after September 14, 2020 you can ignore this message.",
            platform::mb::Exclamation);
        try {
            reg.SaveSetting(app, "Messages", "Check parameters", "1");
        } catch (const std::runtime_error& e) {
            p_.WriteLogAndStandardError(std::string("Error: ") + e.what());
        }
    }

    // Command-line switches, ini file, option lock
    splashStatus("Getting command-line parameters");
    ui.PumpEvents();
    ApplyEarlySwitches(run.CommandLine, w_, run);
    splashStatus("Checking for Ini File");
    ui.PumpEvents();
    config_.ReadIni(&splash_);
    splashStatus("Checking Lock Status");
    ui.PumpEvents();
    CheckLock();

    // Main window shown
    splashStatus("Activating main form");
    ui.PumpEvents();
    splash_.SetVisible(false);
    p_.SetStatusForm(&w_);
    w_.SetVisible(true);
    w_.SetEnabled(true);
    w_.SetFocus();
    ui.PumpEvents();
    w_.LabelStatus.SetCaption("Waiting for user input");
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();

    // Switches that act on the shown window
    ApplyLateSwitches(run.CommandLine, w_);

    // With one library there is nothing to do; /G starts the run
    int32_t libraries = 0;
    core::GoOn(p_, "Form_Load", [&] { libraries = p_.session.DmLibraries ? p_.session.DmLibraries->Count() : 0; });
    if (libraries == 1) {
        const std::string text = std::string("I'm letting you start ") + core::kProductName +
                                 ", but you can't do anything because you only have one library!";
        if (p_.Unattended()) {
            // Unattended, nobody will answer: end with a failure status.
            p_.WriteLog("Error: " + text);
            p_.Separator();
            p_.EndProgram(3);
            return;
        }
        p_.ShowMessage(text, platform::mb::Exclamation, core::AppTitle());
        w_.Button_Go.SetEnabled(false);
    } else if (HasSwitch(run.CommandLine, "/G")) {
        Button_Go_Click();
    }
}

void DorvaneForm::ReadLogSettings() {
    auto& reg = p_.platform.registry;
    const std::string app = core::kProductName;
    p_.run.CommandLine = Upper(Trim(p_.platform.system.ProcessCommandLine()));
    p_.build.ProductShortName = Trim(app.substr(0, app.find(' ')));
    w_.MNTimeStampLogFile.SetChecked(dm::LeadingNumber(reg.GetSetting(app, "General", "TimeStampLogFile", "0")) != 0);
    w_.CheckLogMethod.SetValue(static_cast<int>(dm::LeadingNumber(reg.GetSetting(app, "General", "LogMethod", "1"))));
    p_.log.LogFilePath = reg.GetSetting(app, "General", "LogFile",
                                        p_.platform.system.TempFolder() + "/" + p_.build.ProductShortName + ".LOG");
    w_.ButtonLogDir.SetToolTip(p_.log.LogFilePath);
}

void DorvaneForm::DmSiteUnavailable(const std::string& text) {
    ReadLogSettings();
    p_.WriteLogAndStandardError(text);
    p_.Separator();
    p_.ShowMessage(text, platform::mb::Critical, core::AppTitle());
    p_.EndProgram(2);
}

void DorvaneForm::PlaceLibraries() {
    auto& ui = p_.platform.ui;
    auto& run = p_.run;
    const std::string savedStatus = w_.LabelStatus.Caption();
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    w_.LabelStatus.SetCaption("Setting Libraries");
    ui.PumpEvents();
    try {
        if (!run.CommandLine.empty()) {
            p_.WriteLog("Command-switches: " + run.CommandLine);
            p_.Separator();
        }
        run.SourceLibraryName =
            p_.platform.registry.GetSetting(core::kProductName, "General", "SourceLibrary", p_.ConnectedLibraryName());
        auto& libs = p_.session.DmLibraries;
        const int32_t count = libs->Count();
        std::vector<std::string> names;
        for (int32_t i = 1; i <= count; ++i) names.push_back(libs->Item(i)->Name());

        auto known = [&](const std::string& wanted) {
            return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return Upper(n) == wanted; });
        };
        const auto source = LibrarySwitchValues(run.CommandLine, "/S=");
        const auto targets = LibrarySwitchValues(run.CommandLine, "/T=");
        for (const auto& [sw, values] : {std::pair{"/S=", &source}, std::pair{"/T=", &targets}}) {
            for (const auto& value : *values) {
                if (!known(value)) {
                    p_.WriteLogAndStandardError(std::string("Warning: Unknown library '") + value + "' named by " +
                                                sw + " ignored");
                }
            }
        }
        if (!source.empty()) {
            for (const auto& name : names) {
                if (Upper(name) == source.front()) {
                    run.SourceLibraryName = name;
                    p_.WriteLog("Command-switch set source library to " + name);
                    p_.Separator();
                    break;
                }
            }
        }
        if (run.SourceLibraryName.empty()) run.SourceLibraryName = p_.ConnectedLibraryName();

        if (!p_.ConnectLibrary(run.SourceLibraryName)) {
            const std::string text = "Error! Unable to connect to source library " + run.SourceLibraryName;
            p_.WriteLog(text);
            p_.Separator();
            if (!p_.Options().Loop() && run.CommandLine.empty()) {
                ui.MessageBox(text, platform::mb::Exclamation, core::AppTitle());
            }
            // The program cannot work without its source: it could not start.
            p_.EndProgram(2);
            return;
        }

        w_.LibBox.ClearColumns();
        w_.LibBox.Clear();
        w_.LibBox.AddColumn("Target libraries", w_.LibBox.Width() * 93 / 100);
        p_.ShowStatus("Setting Libraries");
        p_.Separator();

        w_.SourceLibraryCombo.Clear();
        int sourcePosition = 0;
        for (int32_t i = 0; i < count; ++i) {
            w_.SourceLibraryCombo.AddItem(Upper(names[i]));
            if (Upper(names[i]) == Upper(run.SourceLibraryName)) sourcePosition = i;
            w_.LibBox.AddItem(names[i]);
        }

        const bool targetSwitch = HasSwitch(run.CommandLine, "/T=");
        for (int j = 0; j < w_.LibBox.Count(); ++j) {
            const std::string text = w_.LibBox.Item(j).text;
            if (targetSwitch) {
                bool named = std::find(targets.begin(), targets.end(), Upper(text)) != targets.end();
                w_.LibBox.SetChecked(j, named);
                if (named) {
                    p_.WriteLog("Command-switch set target library to " + text);
                    p_.Separator();
                }
            } else if (Upper(names[j]) == Upper(run.SourceLibraryName)) {
                w_.LibBox.SetChecked(j, false);
            } else {
                w_.LibBox.SetChecked(j, dm::LeadingNumber(p_.platform.registry.GetSetting(
                                            core::kProductName, "General", "Library " + text, "-1")) != 0);
            }
        }
        p_.Separator();
        w_.SourceLibraryCombo.SetListIndex(count > 0 ? sourcePosition : -1);
        if (targetSwitch && !p_.Options().HasTarget()) run.TargetsNamedNone = true;
    } catch (const dm::DmError& e) {
        p_.ReportError(e);
    }
    w_.LabelStatus.SetCaption(savedStatus);
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
}

void DorvaneForm::CheckLock() {
    const bool locked = p_.run.OptionsLockFlag;
    w_.LabelLocked.SetVisible(locked);
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &w_.FrameSourceLibrary, &w_.FrameOptions, &w_.FramePauseTime, &w_.FrameCustomOptions, &w_.LibBox,
             &w_.TVPause}) {
        c->SetEnabled(!locked);
    }
    if (locked) {
        w_.ButtonLock.SetCaption("Unlock");
        w_.ButtonLock.SetToolTip("Unlock the tabs and options so you can change them");
    } else {
        w_.ButtonLock.SetCaption("Lock");
        w_.ButtonLock.SetToolTip("Lock the tabs and options so you cannot change them");
    }
}

std::string DorvaneForm::SourceLibraryName() const { return p_.run.SourceLibraryName; }

}  // namespace app
