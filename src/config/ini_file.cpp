#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

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

// A value an administrator meant as a number: it begins with one.
bool StartsWithNumber(const std::string& value) {
    size_t i = 0;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
    if (i < value.size() && value[i] == '.') ++i;
    return i < value.size() && std::isdigit(static_cast<unsigned char>(value[i]));
}

// The switches an INI file's switch line may hold.
const std::vector<std::string> kIniSwitches = {"/AX", "/EX", "/DX", "/KX", "/PX", "/RX", "/FX", "/MX", "/L", "/V", "/A",
                                               "/C",  "/D",  "/K",  "/P",  "/R",  "/F",  "/M",  "/E",  "/G", "/X"};

}  // namespace

void Configuration::ReadIni(forms::KestSplash* splash) {
    auto& w = p_.MainWindow;
    auto& run = p_.run;
    run.IniFilePath = p_.platform.system.ProgramFolder() + "/" + p_.build.ProductShortName + ".INI";
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

    std::string raw;
    int lineNumber = 0;
    int targetLines = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '\'' || line[0] == ';') continue;
        line = CutAt(CutAt(line, '\''), ';');
        if (line.empty()) continue;

        if (line[0] == '/') {
            // Switches are whole words here as on the command line; a line
            // may hold several.
            const auto read = core::ReadSwitches(line, kIniSwitches);
            for (const auto& word : read.unknown) warn(lineNumber, "unknown switch '" + word + "'");
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
            warn(lineNumber, "neither a switch nor a key '" + line + "'");
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
            if (!value.empty() && !StartsWithNumber(value)) {
                warn(lineNumber, key + " needs a number, not '" + value + "'");
            } else {
                box->SetText(WholeNumberText(value));
            }
        } else if (key == "SOURCELIB") {
            const auto& items = w.SourceLibraryCombo.Items();
            auto it = std::find_if(items.begin(), items.end(), [&](const std::string& s) { return Upper(s) == value; });
            if (it == items.end()) {
                warn(lineNumber, "unknown source library '" + value + "'");
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
                warn(lineNumber, "unknown target library '" + value + "'");
            } else {
                w.LibBox.SetChecked(found, true);
            }
        } else {
            warn(lineNumber, "unknown key '" + key + "'");
        }
    }
    // Lines that name no library the run can archive into: the targets they
    // cleared are not what the end of the program saves.
    if (targetLines > 0 && !p_.Options().HasTarget()) run.TargetsNamedNone = true;
}

}  // namespace config
