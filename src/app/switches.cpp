#include "app/switches.h"

#include "core/program.h"
#include "forms/main_window.h"

namespace app {

bool HasSwitch(const std::string& commandLine, const char* sw) { return commandLine.find(sw) != std::string::npos; }

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
    std::vector<std::string> values;
    size_t pos = 0;
    while ((pos = commandLine.find(sw, pos)) != std::string::npos) {
        pos += sw.size();
        size_t end = commandLine.find('/', pos);
        std::string value = commandLine.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        size_t b = value.find_first_not_of(' ');
        if (b != std::string::npos) {
            value = value.substr(b, value.find_last_not_of(' ') - b + 1);
            for (auto& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            values.push_back(value);
        }
    }
    return values;
}

}  // namespace app
