#pragma once
// The command-line switches. The command line is upper-cased and trimmed
// once at start-up; switches are whole words (core/command_switches.h), and
// of a switch with an X or N form that form is tested before the plain one.

#include <string>
#include <vector>

namespace core {
struct RunState;
}
namespace forms {
class Dorvane;
}

namespace app {

bool HasSwitch(const std::string& commandLine, const char* sw);

// The words of the command line that are no switch of the program.
std::vector<std::string> UnknownSwitches(const std::string& commandLine);

// The switches read before the INI file: /A, /E, /D, /K, /P, /R, /F, /M and
// their X forms.
void ApplyEarlySwitches(const std::string& commandLine, forms::Dorvane& window, core::RunState& run);
// The switches read after the main window is shown: /L, /V, /W and their N
// forms.
void ApplyLateSwitches(const std::string& commandLine, forms::Dorvane& window);

// The library names given with "/S=" or "/T=", in order, upper-cased. A name
// runs to the next switch with the blanks around it removed, so
// "/T=MY LIBRARY /G" names "MY LIBRARY".
std::vector<std::string> LibrarySwitchValues(const std::string& commandLine, const std::string& sw);

// Makes sure the Copy, Move, Transfer group holds a choice: Copy when none.
void KeepOneChoice(forms::Dorvane& window);

}  // namespace app
