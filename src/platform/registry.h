#pragma once
// The per-user settings store of the product and the machine-wide values the
// program reads, in place of the platform registry.
//
// Per-user values live in an INI-style file (one section per application
// name and section, "App\Section"), so tests and two side-by-side programs
// each get their own by pointing DORVANE_HOME elsewhere. Machine-wide values
// are read-only and come from whoever sets them up (the DM site).

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {

// Thrown by a registry key when a sub-key or the root cannot be opened.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Root codes of the registry component.
enum class RegistryRoot { ClassesRoot = 1, CurrentConfig = 2, CurrentUser = 3, LocalMachine = 4, Users = 5 };

class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    // The key of that name below this one; throws RegistryError when missing.
    virtual std::shared_ptr<IRegistryKey> SubKey(const std::string& name) = 0;
    // The value of that name in this key; nothing when missing.
    virtual std::optional<std::string> Value(const std::string& name) = 0;
};

class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual std::string GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;
    virtual void SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    virtual void DeleteSetting(const std::string& app, const std::string& section,
                               const std::string& key) = 0;
    // Opens a root of the registry for a walk; throws RegistryError for an
    // unknown code.
    virtual std::shared_ptr<IRegistryKey> OpenRoot(int rootCode) = 0;
    // Throws RegistryError, saying why, when settings cannot be saved.
    virtual void CheckWritable() {}
};

// Registry stand-in: per-user values in a file, machine-wide values in memory.
class FileRegistry : public IRegistry {
public:
    explicit FileRegistry(std::filesystem::path userFile);

    // DORVANE_HOME when set, else the user's configuration folder.
    static std::filesystem::path DefaultUserFile();

    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& app, const std::string& section,
                       const std::string& key) override;
    std::shared_ptr<IRegistryKey> OpenRoot(int rootCode) override;
    // The settings folder exists or can be made, and a file can be written in it.
    void CheckWritable() override;

    // A machine-wide value; keyPath is a full path such as
    // "HKEY_LOCAL_MACHINE\Software\Vendor\Product".
    void SetMachineValue(const std::string& keyPath, const std::string& valueName,
                         const std::string& value);

    const std::filesystem::path& UserFile() const { return userFile_; }

private:
    friend class FileRegistryKey;
    using Sections = std::map<std::string, std::map<std::string, std::string>>;
    Sections Load() const;
    void Store(const Sections& sections) const;
    template <typename Fn>
    void Modify(Fn&& fn);

    std::filesystem::path userFile_;
    // Upper-cased key path -> (upper-cased value name -> value).
    std::map<std::string, std::map<std::string, std::string>> machine_;
};

// Where the per-user settings of an application appear in the registry tree
// ("HKEY_CURRENT_USER\<this>\App\Section").
inline constexpr const char* kUserSettingsKey = "Software\\VB and VBA Program Settings";

}  // namespace platform
