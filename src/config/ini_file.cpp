#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "config/configuration.h"
#include "config/options.h"
#include "core/command_switches.h"
#include "core/file_paths.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"

namespace config {

namespace {

using core::Trim;
using core::Upper;

// The text before the first occurrence of mark, trimmed.
std::string CutAt(const std::string& s, char mark) {
    size_t pos = s.find(mark);
    return pos == std::string::npos ? s : Trim(s.substr(0, pos));
}

// A line without its comment (after ' or ;) and the blanks around it.
std::string Content(const std::string& raw) { return CutAt(CutAt(Trim(raw), '\''), ';'); }

// A number key's value: digits only, at most what a count of rows or
// seconds can hold. "1E3" or "10ABC" is no number of that kind, not 1 or 10.
std::optional<int32_t> WholeNumber(const std::string& value) {
    if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int64_t n = 0;
    for (char c : value) {
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(n);
}

// A text for a warning: a line of any length is named by its start.
std::string Shown(const std::string& text) {
    constexpr size_t kShown = 60;
    if (text.size() <= kShown + 20) return "'" + text + "'";
    const std::string shown = core::Utf8Prefix(text, kShown);
    return "'" + shown + "...' (" + std::to_string(text.size()) + " characters)";
}

// The file's lines, whatever ends them (CR LF, LF or CR alone), without a
// UTF-8 byte-order mark before the first.
std::vector<std::string> ReadLines(std::istream& in) {
    std::stringstream whole;
    whole << in.rdbuf();
    std::string text = whole.str();
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// The switches an INI file's switch line may hold.
const std::vector<std::string> kIniSwitches = {"/AX", "/EX", "/DX", "/KX", "/PX", "/RX", "/FX", "/MX", "/L", "/V", "/A",
                                               "/C",  "/D",  "/K",  "/P",  "/R",  "/F",  "/M",  "/E",  "/G", "/X"};

}  // namespace

std::string Configuration::IniPath() {
    return p_.platform.system.ProgramFolder() + "/" + p_.build.ProductShortName + ".INI";
}

bool Configuration::IniHasSwitch(const std::string& sw) {
    const std::string path = IniPath();
    if (!core::IsNormalFile(path)) return false;
    std::ifstream in(path);
    for (const std::string& raw : ReadLines(in)) {
        const std::string line = Content(raw);
        if (!line.empty() && line[0] == '/' && core::ReadSwitches(line, kIniSwitches).Has(sw)) return true;
    }
    return false;
}

void Configuration::ReadIni(forms::KestSplash* splash) {
    auto& w = p_.MainWindow;
    auto& run = p_.run;
    run.IniFilePath = IniPath();
    const std::string& path = run.IniFilePath;

    if (!core::IsNormalFile(path)) return;

    if (splash) splash->LabelStatus.SetCaption("Retrieving Session information from " + path);
    for (int i = 0; i < w.LibBox.Count(); ++i) w.LibBox.SetChecked(i, false);

    std::ifstream in(path);
    if (!in) {
        p_.WriteLogAndStandardError("Warning: Unable to read " + path);
        return;
    }
    auto warn = [&](int lineNumber, const std::string& what) {
        p_.WriteLogAndStandardError("Warning: " + path + " line " + std::to_string(lineNumber) + ": " + what +
                                    " - ignored");
    };
    // Turning Move or Transfer off must leave a choice: Copy.
    auto keepAChoice = [&] {
        if (!w.DoWhatOptions.Selected()) w.OptionCopy.Select();
    };

    int lineNumber = 0;
    int targetLines = 0;
    for (const std::string& raw : ReadLines(in)) {
        ++lineNumber;
        const std::string line = Content(raw);
        if (line.empty()) continue;

        if (line[0] == '/') {
            // Switches are whole words here as on the command line; a line
            // may hold several.
            const auto read = core::ReadSwitches(line, kIniSwitches);
            for (const auto& word : read.unknown) warn(lineNumber, "unknown switch " + Shown(word));
            for (const auto& found : read.switches) {
                const std::string& sw = found.name;
                if (sw == "/AX") w.CheckActivityLog.SetValue(0);
                else if (sw == "/EX") w.CheckEncryption.SetValue(0);
                else if (sw == "/DX") w.CheckRemoveDeletedDocs.SetValue(0);
                else if (sw == "/KX") run.OptionsLockFlag = false;
                else if (sw == "/PX") w.CheckFolders.SetValue(0);
                else if (sw == "/RX") w.CheckRetainNumber.SetValue(0);
                else if (sw == "/FX") { w.OptionTransfer.Clear(); keepAChoice(); }
                else if (sw == "/MX") { w.OptionMove.Clear(); keepAChoice(); }
                else if (sw == "/L") w.CheckLoop.SetValue(1);
                else if (sw == "/V") w.CheckLogMethod.SetValue(1);
                else if (sw == "/A") w.CheckActivityLog.SetValue(1);
                else if (sw == "/C") w.CheckForMissingColumns.SetValue(1);
                else if (sw == "/D") w.CheckRemoveDeletedDocs.SetValue(1);
                else if (sw == "/K") run.OptionsLockFlag = true;
                else if (sw == "/P") w.CheckFolders.SetValue(1);
                else if (sw == "/R") w.CheckRetainNumber.SetValue(1);
                else if (sw == "/F") w.OptionTransfer.Select();
                else if (sw == "/M") w.OptionMove.Select();
                else if (sw == "/E") w.CheckEncryption.SetValue(1);
                else if (sw == "/G" || sw == "/X") {
                    if (!core::CommandLineHas(run.CommandLine, sw)) run.CommandLine += " " + sw;
                }
            }
            continue;
        }

        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            warn(lineNumber, "neither a switch nor a key " + Shown(line));
            continue;
        }
        std::string key = Upper(Trim(line.substr(0, eq)));
        std::string value = Upper(Trim(line.substr(eq + 1)));
        if (key.empty() && value.empty()) continue;

        forms::TextBox* box = key == "LOOPDELAY"    ? &w.TextLoopDelay
                              : key == "RETRYCOUNT" ? &w.TextRetryCount
                              : key == "BATCHSIZE"  ? &w.TextBatchSize
                                                    : nullptr;
        if (box) {
            // A blank value stands for the option's default; a value that is
            // no whole number in range leaves the option as it was.
            const auto number = value.empty() ? std::optional<int32_t>(0) : WholeNumber(value);
            if (!number) {
                warn(lineNumber, key + " needs a number (whole, from 0 to " +
                                     std::to_string(std::numeric_limits<int32_t>::max()) + "), not " + Shown(value));
            } else {
                box->SetText(std::to_string(*number));
            }
        } else if (key == "SOURCELIB") {
            const auto& items = w.SourceLibraryCombo.Items();
            auto it = std::find_if(items.begin(), items.end(), [&](const std::string& s) { return Upper(s) == value; });
            if (it == items.end()) {
                warn(lineNumber, "unknown source library " + Shown(value));
            } else {
                w.SourceLibraryCombo.SetListIndex(static_cast<int>(it - items.begin()));
            }
        } else if (key == "TARGETLIB") {
            ++targetLines;
            int found = -1;
            for (int i = 0; i < w.LibBox.Count() && found < 0; ++i) {
                if (Upper(w.LibBox.Item(i).text) == value) found = i;
            }
            if (found < 0) {
                warn(lineNumber, "unknown target library " + Shown(value));
            } else {
                w.LibBox.SetChecked(found, true);
            }
        } else {
            warn(lineNumber, "unknown key " + Shown(key));
        }
    }
    // Lines that name no library the run can archive into: the targets they
    // cleared are not what the end of the program saves.
    if (targetLines > 0 && !p_.Options().HasTarget()) run.TargetsNamedNone = true;
}

}  // namespace config
