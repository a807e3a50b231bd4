#include "app/switches.h"

#include "core/command_switches.h"
#include "core/program.h"
#include "forms/main_window.h"

namespace app {

bool HasSwitch(const std::string& commandLine, const char* sw) { return core::CommandLineHas(commandLine, sw); }

std::vector<std::string> UnknownSwitches(const std::string& commandLine) {
    return core::ReadSwitches(commandLine, core::CommandLineSwitches()).unknown;
}

void KeepOneChoice(forms::Dorvane& w) {
    if (!w.DoWhatOptions.Selected()) w.OptionCopy.Select();
}

void ApplyEarlySwitches(const std::string& cl, forms::Dorvane& w, core::RunState& run) {
    auto check = [&](const char* off, const char* on, forms::CheckBox& box) {
        if (HasSwitch(cl, off)) {
            box.SetValue(0);
        } else if (HasSwitch(cl, on)) {
            box.SetValue(1);
        }
    };
    check("/AX", "/A", w.CheckActivityLog);
    check("/EX", "/E", w.CheckEncryption);
    check("/DX", "/D", w.CheckRemoveDeletedDocs);
    if (HasSwitch(cl, "/KX")) {
        run.OptionsLockFlag = false;
    } else if (HasSwitch(cl, "/K")) {
        run.OptionsLockFlag = true;
    }
    check("/PX", "/P", w.CheckFolders);
    check("/RX", "/R", w.CheckRetainNumber);
    // Turning Transfer or Move off leaves Copy rather than no choice at all.
    if (HasSwitch(cl, "/FX")) {
        w.OptionTransfer.Clear();
        KeepOneChoice(w);
    } else if (HasSwitch(cl, "/F")) {
        w.OptionTransfer.Select();
    }
    if (HasSwitch(cl, "/MX")) {
        w.OptionMove.Clear();
        KeepOneChoice(w);
    } else if (HasSwitch(cl, "/M")) {
        w.OptionMove.Select();
    }
}

void ApplyLateSwitches(const std::string& cl, forms::Dorvane& w) {
    auto check = [&](const char* on, const char* off, forms::CheckBox& box) {
        if (HasSwitch(cl, on)) {
            box.SetValue(1);
        } else if (HasSwitch(cl, off)) {
            box.SetValue(0);
        }
    };
    // "/NL" contains no "/L", so the plain form is tested first here.
    check("/L", "/NL", w.CheckLoop);
    check("/V", "/NV", w.CheckLogMethod);
    check("/W", "/NW", w.CheckLockComputer);
}

std::vector<std::string> LibrarySwitchValues(const std::string& commandLine, const std::string& sw) {
    return core::ReadSwitches(commandLine, core::CommandLineSwitches()).Values(sw);
}

}  // namespace app
