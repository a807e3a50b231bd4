#include "core/program.h"

#include <algorithm>
#include <cctype>

#include "core/dm_calls.h"
#include "forms/main_window.h"

namespace core {

std::string AppTitle() { return "Dorvane\xE2\x84\xA2 for DodiDida dIRAZ"; }

Program::Program(PlatformServices services, forms::Dorvane& mainWindow)
    : platform(services), MainWindow(mainWindow) {}

Program::~Program() = default;



void Program::ErrorBox(const std::string& text) {
    WriteLog(text);
    Separator();
    if (DisplayErrors()) platform.ui.MessageBox(text, platform::mb::Critical, AppTitle());
}

bool Program::HasRight(const dm::LibraryPtr& library, const std::string& rightName) {
    if (!library) return false;
    // A right that cannot be read is not held; the caller says what it
    // cannot do without it.
    return PassOver([&] {
               auto props = library->Properties();
               auto item = props ? props->Item(rightName) : nullptr;
               return item && item->Value().IsBooleanTrue();
           }).value_or(false);
}

dm::LibraryPtr Program::FindLibrary(const std::string& name) {
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return s;
    };
    if (!session.DmLibraries) return nullptr;
    std::string wanted = upper(name);
    int32_t count = session.DmLibraries->Count();
    for (int32_t i = 1; i <= count; ++i) {
        auto lib = session.DmLibraries->Item(i);
        if (lib && upper(lib->Name()) == wanted) return lib;
    }
    return nullptr;
}

std::string Program::ConnectedLibraryName() {
    if (!session.ConnectedLibrary) return "";
    return PassOver([&] { return session.ConnectedLibrary->Name(); }).value_or("");
}

forms::Label* Program::StatusLabel() {
    if (!statusForm_) return &MainWindow.LabelStatus;
    return statusForm_->Find<forms::Label>("LabelStatus");
}

}  // namespace core
