#pragma once
// Saving and restoring the options of the main window: the per-user registry
// settings always, and the settings table of the user's primary library where
// it exists.

#include <cstdint>
#include <map>
#include <string>

namespace core {
class Program;
}

namespace forms {
class KestSplash;
}

namespace config {

class Configuration {
public:
    explicit Configuration(core::Program& program) : p_(program) {}

    void SaveConfiguration();
    void RestoreConfiguration();
    // The INI file next to the program, read once at start-up.
    void ReadIni(forms::KestSplash* splash);
    // Whether a switch line of the INI file holds the switch, read before
    // anything else and applying nothing.
    bool IniHasSwitch(const std::string& sw);

    // The stale-lock age in minutes of a stored "StaleLockHours" text: the
    // default 4 hours when empty, and with a warning when it is no number of
    // hours above 0.
    int32_t StaleLockMinutes(const std::string& stored);

private:
    std::string PrimaryLibraryName();
    std::string IniPath();
    // Whether the save leaves the stored value of an option alone: the
    // restore could not read it, and its control still holds what the
    // restore left there.
    bool KeepStored(const std::string& key, const std::string& written) const;

    core::Program& p_;
    // Options whose stored value could not be read, with the written form
    // their control held after the restore.
    std::map<std::string, std::string> unread_;
};

}  // namespace config
