#include "core/command_switches.h"

#include <algorithm>

#include "core/text.h"

namespace core {

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

}  // namespace

bool SwitchList::Has(const std::string& name) const {
    const std::string wanted = Upper(name);
    return std::any_of(switches.begin(), switches.end(), [&](const Switch& s) { return s.name == wanted; });
}

std::vector<std::string> SwitchList::Values(const std::string& name) const {
    const std::string wanted = Upper(name);
    std::vector<std::string> values;
    for (const auto& s : switches) {
        if (s.name == wanted && !s.value.empty()) values.push_back(Upper(s.value));
    }
    return values;
}

SwitchList ReadSwitches(const std::string& text, const std::vector<std::string>& known) {
    SwitchList list;
    // The switches of a text that begins with "/", when it is made of known
    // switches only.
    auto wholeSwitches = [&](const std::string& word, std::vector<Switch>& found) {
        size_t at = 0;
        while (at < word.size()) {
            size_t next = word.find('/', at + 1);
            const std::string part = word.substr(at, next == std::string::npos ? std::string::npos : next - at);
            const std::string upper = Upper(part);
            auto name = std::find_if(known.begin(), known.end(), [&](const std::string& n) {
                return n.back() == '=' ? upper.rfind(n, 0) == 0 : upper == n;
            });
            if (name == known.end()) return false;
            found.push_back({*name, name->back() == '=' ? part.substr(name->size()) : ""});
            at = next == std::string::npos ? word.size() : next;
        }
        return !found.empty();
    };
    // Whether the last switch read carries a value that the next words go on.
    bool valueOpen = false;
    for (const std::string& word : Words(text)) {
        std::vector<Switch> found;
        if (word[0] != '/') {
            if (!valueOpen) {
                list.unknown.push_back(word);
                continue;
            }
            // A value runs to the next switch, also one written onto its
            // last word ("/T=MY LIBRARY/G"); a slash of anything else is part
            // of the value.
            const size_t slash = word.find('/');
            if (slash == std::string::npos || !wholeSwitches(word.substr(slash), found)) {
                list.switches.back().value += " " + word;
                continue;
            }
            list.switches.back().value.append(" ").append(word, 0, slash);
        } else if (!wholeSwitches(word, found)) {
            list.unknown.push_back(word);
            valueOpen = false;
            continue;
        }
        valueOpen = found.back().name.back() == '=';
        list.switches.insert(list.switches.end(), found.begin(), found.end());
    }
    for (auto& s : list.switches) s.value = Trim(s.value);
    return list;
}

const std::vector<std::string>& CommandLineSwitches() {
    static const std::vector<std::string> names = {
        "/A", "/AX", "/E", "/EX", "/D", "/DX", "/K", "/KX", "/P", "/PX", "/R", "/RX", "/F",
        "/FX", "/M", "/MX", "/L", "/NL", "/V", "/NV", "/W", "/NW", "/G", "/X", "/S=", "/T=",
    };
    return names;
}

bool CommandLineHas(const std::string& commandLine, const std::string& name) {
    return ReadSwitches(commandLine, CommandLineSwitches()).Has(name);
}

}  // namespace core
