#include "config/configuration.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "config/options.h"
#include "core/dm_calls.h"
#include "core/excused.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace config {

namespace {

const char* const kMasterKey = core::kProductName;

// Hours after which a queue row locked by another computer is taken for the
// lock of a computer that died; only the per-user settings hold it.
const char* const kStaleLockHoursKey = "StaleLockHours";
constexpr int32_t kDefaultStaleLockMinutes = 4 * 60;

}  // namespace

int32_t Configuration::StaleLockMinutes(const std::string& stored) {
    const std::string text = core::TrimSpace(stored);
    if (text.empty()) return kDefaultStaleLockMinutes;
    double hours = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, hours);
    // A year at most: beyond that a lock is never released in practice.
    if (error != std::errc() || stop != end || !(hours > 0) || hours > 24.0 * 366) {
        p_.WriteLogAndStandardError(std::string("Warning: The setting ") + kStaleLockHoursKey + " '" + text +
                                    "' is no number of hours above 0 and at most 8784 - " +
                                    std::to_string(kDefaultStaleLockMinutes / 60) + " hours are used");
        return kDefaultStaleLockMinutes;
    }
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(hours * 60)));
}

std::string Configuration::PrimaryLibraryName() {
    // Without it the options live in the registry alone: a refusal is logged.
    std::string name;
    core::GoOn(p_, "PrimaryLibraryName", [&] {
        auto primary = p_.session.DmApplication ? p_.session.DmApplication->PrimaryLibrary() : nullptr;
        if (primary) name = primary->Name();
    });
    return name;
}

bool Configuration::KeepStored(const std::string& key, const std::string& written) const {
    auto it = unread_.find(key);
    return it != unread_.end() && it->second == written;
}

void Configuration::SaveConfiguration() {
    auto& w = p_.MainWindow;
    auto& reg = p_.platform.registry;
    const std::string app = core::kProductName;
    auto save = [&](const char* section, const std::string& key, const std::string& value) {
        try {
            reg.SaveSetting(app, section, key, value);
        } catch (const std::runtime_error&) {
            // A registry write that fails is skipped.
        }
    };

    const std::string remembered = p_.ConnectedLibraryName();
    const std::string primary = PrimaryLibraryName();
    if (!primary.empty()) p_.ConnectLibrary(primary);

    p_.ShowStatus("Saving configuration to the Registry");
    p_.Separator();
    for (auto& option : BodyOptions()) {
        if (option.kind == Kind::PauseDays) {
            for (auto& node : w.TVPause.Nodes()) {
                const std::string mark = MarkText(node.checked);
                if (!KeepStored(std::string(kSectionPauseTimer) + "\\" + node.text, mark)) {
                    save(kSectionPauseTimer, node.text, mark);
                }
            }
        } else {
            const std::string written = WrittenText(option, w);
            if (!KeepStored(std::string(kSectionGeneral) + "\\" + option.readKey, written)) {
                save(kSectionGeneral, option.key, written);
            }
        }
    }

    if (p_.facts.SettingsTableExists) {
        p_.ShowStatus("Saving configuration to KEST_SETTINGS");
        p_.Separator();
        int refused = 0;
        auto store = [&](const char* section, const std::string& key, int keyType, const std::string& value) {
            if (KeepStored(std::string(section) + "\\" + key, value)) return;
            if (!p_.SetKestSetting(kMasterKey, section, key, keyType, value)) ++refused;
        };
        for (auto& option : BodyOptions()) {
            if (!option.inTable) continue;
            if (option.kind == Kind::PauseDays) {
                for (auto& node : w.TVPause.Nodes()) store(kSectionPauseTimer, node.text, 2, MarkText(node.checked));
                continue;
            }
            store(kSectionGeneral, option.readKey, option.kind == Kind::Time ? 1 : 2, WrittenText(option, w));
        }
        if (refused > 0) {
            p_.WriteLog("Warning: Library " + p_.ConnectedLibraryName() + " refused to save " + std::to_string(refused) +
                        " option(s) to KEST_SETTINGS; the next run repairs it: " +
                        std::string(core::ExcuseReason(core::Excused::kSettingsSave)));
            p_.Separator();
        }
    }

    save(kSectionGeneral, "SourceLibrary", w.SourceLibraryCombo.Text());
    // Targets cleared by a name that is no target stay as stored.
    if (!p_.run.TargetsNamedNone || p_.Options().HasTarget()) {
        for (auto& item : w.LibBox.Items()) save(kSectionGeneral, "Library " + item.text, MarkText(item.checked));
    }
    save(kSectionGeneral, "Screen.Top", std::to_string(w.Top()));
    save(kSectionGeneral, "Screen.Left", std::to_string(w.Left()));
    save(kSectionGeneral, "Locked", MarkText(p_.run.OptionsLockFlag));
    save(kSectionGeneral, "ShowTimer", MarkText(w.MNShowTimer.Checked()));
    save(kSectionGeneral, "TimeStampLogFile", MarkText(w.MNTimeStampLogFile.Checked()));
    save(kSectionGeneral, "LogMethod", std::to_string(w.CheckLogMethod.Value()));
    save(kSectionGeneral, "Process_Order", std::to_string(w.CheckProcessOrder.Value()));

    if (!remembered.empty()) p_.ConnectLibrary(remembered);
    p_.ShowStatus("Finished Saving configuration settings");
    p_.Separator();
}

void Configuration::RestoreConfiguration() {
    auto& w = p_.MainWindow;
    auto& reg = p_.platform.registry;
    const std::string app = core::kProductName;
    auto regRead = [&](const char* section, const std::string& key, const std::string& def) {
        try {
            return reg.GetSetting(app, section, key, def);
        } catch (const std::runtime_error&) {
            return def;
        }
    };

    const std::string remembered = p_.ConnectedLibraryName();
    const std::string primary = PrimaryLibraryName();
    if (!primary.empty()) p_.ConnectLibrary(primary);

    unread_.clear();
    const std::optional<bool> listed = p_.TableListed("KEST_SETTINGS");
    // Unlisted for want of an answer, the options are in the table or not:
    // none of them is read.
    const bool fromTable = listed.value_or(true);
    if (fromTable) {
        // The probe and the reads must agree: a table that appeared after the
        // library was first connected is read, not replaced by defaults.
        p_.facts.SettingsTableExists = true;
        int row = p_.LibraryArray.Built() ? p_.LibraryArray.FindRow(p_.ConnectedLibraryName()) : -1;
        if (row >= 0) p_.LibraryArray.Cell(row, core::LibraryCache::kSettingsTable) = "-1";
        p_.ShowStatus("Retrieving basic configuration settings from KEST_SETTINGS in library " +
                      p_.ConnectedLibraryName());
    } else {
        p_.ShowStatus("Retrieving configuration settings from Registry");
    }
    p_.Separator();

    // A stored value the library refused to give: the option keeps what
    // its control holds, and the key is noted.
    std::vector<std::string> unreadKeys;
    auto tableRead = [&](const char* section, const std::string& key, int keyType,
                         const char* def) -> std::optional<std::string> {
        auto value = listed ? p_.ReadKestSetting(kMasterKey, section, key, keyType, def) : std::nullopt;
        if (value) return value->ToText();
        unreadKeys.push_back(std::string(section) + "\\" + key);
        return std::nullopt;
    };
    auto read = [&](const BodyOption& option) -> std::optional<std::string> {
        if (!fromTable || !option.inTable) return regRead(kSectionGeneral, option.readKey, option.registryDefault);
        return tableRead(kSectionGeneral, option.readKey, option.kind == Kind::Time ? 1 : 2, option.tableDefault);
    };

    bool chosen = false;
    for (const BodyOption* option : RestoreSequence()) {
        switch (option->kind) {
            case Kind::PauseDays: {
                const int count = w.TVPause.Count();
                for (int i = 0; i < count; ++i) {
                    const std::string text = w.TVPause.Node(i).text;
                    std::optional<std::string> stored =
                        fromTable ? tableRead(kSectionPauseTimer, text, 2, option->tableDefault)
                                  : regRead(kSectionPauseTimer, text, option->registryDefault);
                    if (stored) w.TVPause.SetChecked(i, MarkOf(*stored));
                }
                break;
            }
            case Kind::Choice:
                // The first choice stored as chosen wins; the rest are not read.
                if (!chosen) {
                    const auto stored = read(*option);
                    if (stored && dm::LeadingNumber(*stored) == -1) {
                        option->choice(w)->Select();
                        chosen = true;
                    }
                }
                break;
            default:
                if (const auto stored = read(*option)) ApplyStored(*option, w, *stored);
                break;
        }
    }

    w.SourceLibraryCombo.SetText(regRead(kSectionGeneral, "SourceLibrary", p_.ConnectedLibraryName()));
    int items = w.LibBox.Count();
    for (int i = 0; i < items; ++i) {
        w.LibBox.SetChecked(i, MarkOf(regRead(kSectionGeneral, "Library " + w.LibBox.Item(i).text, "-1")));
    }
    w.MNTimeStampLogFile.SetChecked(MarkOf(regRead(kSectionGeneral, "TimeStampLogFile", "0")));
    long order = CheckValueOf(regRead(kSectionGeneral, "Process_Order", "0"));
    if (order >= 0 && order <= 2) w.CheckProcessOrder.SetValue(static_cast<int>(order));
    long logMethod = CheckValueOf(regRead(kSectionGeneral, "LogMethod", "1"));
    if (logMethod >= 0 && logMethod <= 2) w.CheckLogMethod.SetValue(static_cast<int>(logMethod));

    p_.run.StaleLockMinutes = StaleLockMinutes(regRead(kSectionGeneral, kStaleLockHoursKey, ""));

    // What the controls of the unread options hold now is what the save
    // leaves alone. The choice is one: each of its keys keeps its value.
    std::string unreadList;
    for (const auto& key : unreadKeys) {
        for (auto& option : BodyOptions()) {
            const std::string general = std::string(kSectionGeneral) + "\\" + option.readKey;
            if (option.kind == Kind::PauseDays) continue;
            const bool choice = option.kind == Kind::Choice &&
                                key.rfind(std::string(kSectionGeneral) + "\\Option", 0) == 0;
            if (general == key || choice) unread_[general] = WrittenText(option, w);
        }
        for (auto& node : w.TVPause.Nodes()) {
            if (std::string(kSectionPauseTimer) + "\\" + node.text == key) unread_[key] = MarkText(node.checked);
        }
        unreadList += (unreadList.empty() ? "" : ", ") + key.substr(key.find('\\') + 1);
    }
    p_.run.OptionsUnread = unreadList;
    if (!unreadList.empty()) {
        p_.WriteLogAndStandardError("Error: Library " + p_.ConnectedLibraryName() +
                                    " refused to give the stored option(s) " + unreadList +
                                    " - no run starts until they are read, and they keep their stored values");
        p_.Separator();
    }

    if (!remembered.empty()) p_.ConnectLibrary(remembered);
    p_.run.ConfigurationRestored = true;
    p_.ShowStatus("Finished Retrieving configuration settings");
    p_.Separator();
}

}  // namespace config
