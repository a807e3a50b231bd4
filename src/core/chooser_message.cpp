#include <algorithm>
#include <cctype>

#include "core/command_switches.h"
#include "core/dm_calls.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace {

bool IsQuestion(int buttons) { return buttons == 36 || buttons == 3 || buttons == 4; }

}  // namespace

bool Program::SelectLibrary() {
    if (!session.DmLibraries) {
        ErrorBox("Error: The LIBS API object is no longer defined - this could be a bug in the API itself");
        return false;
    }
    // With the count unknown the chooser decides.
    if (PassOver([&] { return session.DmLibraries->Count(); }).value_or(2) <= 1) return true;
    // A chooser the DM refuses is no choice of the user's: it is logged.
    dm::LibraryPtr chosen;
    GoOn(*this, "SelectLibrary", [&] {
        if (session.DmApplication) chosen = session.DmApplication->SelectLibrary();
    });
    if (!chosen) {
        ShowMessage("Selection canceled", platform::mb::Information, AppTitle());
        return false;
    }
    std::string name;
    GoOn(*this, "SelectLibrary", [&] { name = chosen->Name(); });
    if (name.empty()) {
        ErrorBox("Error: Unable to determine the name for the selected library");
        return false;
    }
    if (ConnectLibrary(name)) return true;
    ErrorBox("Error: Unable to connect to library " + name);
    return false;
}

int Program::ShowMessage(const std::string& prompt, int buttons, const std::string& title) {
    // Only the switches the process was started with silence the boxes.
    const auto line = ReadSwitches(platform.system.ProcessCommandLine(), CommandLineSwitches());
    if (line.Has("/G") && line.Has("/X")) {
        return IsQuestion(buttons) ? platform::mb::AnswerYes : 0;
    }
    int answer = platform.ui.MessageBox(prompt, buttons, title);
    return IsQuestion(buttons) ? answer : 0;
}

std::string Program::GetMachineName() {
    std::string name = platform.system.ComputerName();
    size_t b = name.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return name.substr(b, name.find_last_not_of(' ') - b + 1);
}

std::string Program::ReadRegistryPath(const std::string& path) {
    static const char* const roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
                                        "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
    size_t slash = path.find('\\');
    if (slash == std::string::npos) return "";
    std::string rootName = Upper(path.substr(0, slash));
    int code = 0;
    for (int i = 0; i < 5; ++i) {
        if (rootName == roots[i]) code = i + 1;
    }
    if (code == 0) return "";
    std::string remaining = path.substr(slash + 1);
    std::shared_ptr<platform::IRegistryKey> key;
    try {
        key = platform.registry.OpenRoot(code);
    } catch (const platform::RegistryError&) {
        return "";
    }
    std::string value;
    while (true) {
        std::string component;
        size_t next = remaining.find('\\');
        if (next == std::string::npos) {
            component = remaining;
            remaining.clear();
        } else {
            component = remaining.substr(0, next);
            remaining = remaining.substr(next + 1);
        }
        // A component that names a value is no key: the descent fails, the
        // key stays at its parent and the value is read there.
        try {
            key = key->SubKey(component);
        } catch (const platform::RegistryError&) {
        }
        if (auto v = key->Value(component)) value = *v;
        if (remaining.empty() || remaining == component) break;
    }
    return value;
}

}  // namespace core
