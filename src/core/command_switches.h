#pragma once
// Command-line switches read as whole words. A switch begins with "/" at the
// start of a word; several may be written together ("/G/X"). "/S=" and
// "/T=" carry a library name that runs to the next switch, so
// "/T=MY LIBRARY /G" names "MY LIBRARY". A word that is not entirely made of
// known switches applies none of them: a path such as "/data/M" or a word
// such as "/MODE=COPY" is reported, never taken for "/M".

#include <string>
#include <vector>

namespace core {

struct Switch {
    std::string name;   // upper case, with its "/" (and "=" for a value switch)
    std::string value;  // for "/S=" and "/T=": the text after it, trimmed
};

struct SwitchList {
    std::vector<Switch> switches;
    // Words that are no known switch, as written.
    std::vector<std::string> unknown;

    bool Has(const std::string& name) const;
    // The values of a value switch, in order, upper-cased; empty ones left out.
    std::vector<std::string> Values(const std::string& name) const;
};

// Reads a text (a command line or an INI file's switch line) against the
// switch names that text may hold; names ending in "=" carry a value.
// Letters compare without regard to case.
SwitchList ReadSwitches(const std::string& text, const std::vector<std::string>& known);

// The switches of the command line.
const std::vector<std::string>& CommandLineSwitches();
// Whether the command line holds that switch as a whole word.
bool CommandLineHas(const std::string& commandLine, const std::string& name);

}  // namespace core
