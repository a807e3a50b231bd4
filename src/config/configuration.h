#pragma once
// Saving and restoring the options of the main window: the per-user registry
// settings always, and the settings table of the user's primary library where
// it exists.

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

private:
    std::string PrimaryLibraryName();
    core::Program& p_;
};

}  // namespace config
