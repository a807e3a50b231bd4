#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace platform {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Keys and values are stored one per line; escape what would break a line
// or the key/value split.
std::string Escape(const std::string& s, bool isKey) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '=':
                if (isKey) {
                    out += "\\e";
                } else {
                    out += c;
                }
                break;
            case '[':
            case ']':
                if (isKey) {
                    out += c == '[' ? "\\o" : "\\c";
                } else {
                    out += c;
                }
                break;
            default: out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 'e': out += '='; break;
            case 'o': out += '['; break;
            case 'c': out += ']'; break;
            default: out += s[i];
        }
    }
    return out;
}

std::string SectionName(const std::string& app, const std::string& section) {
    return app + "\\" + section;
}

// Holds an advisory lock on a companion file so that two processes sharing
// one settings file do not lose each other's updates.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        fd_ = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0644);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace

// A key of the registry tree. The user hive maps
// "HKEY_CURRENT_USER\Software\VB and VBA Program Settings\App\Section" onto the
// settings file; the machine hive is the in-memory table.
class FileRegistryKey : public IRegistryKey {
public:
    FileRegistryKey(FileRegistry& registry, int root, std::vector<std::string> path)
        : registry_(registry), root_(root), path_(std::move(path)) {}

    std::shared_ptr<IRegistryKey> SubKey(const std::string& name) override {
        auto path = path_;
        path.push_back(name);
        if (!Exists(path)) throw RegistryError("registry key not found: " + name);
        return std::make_shared<FileRegistryKey>(registry_, root_, std::move(path));
    }

    std::optional<std::string> Value(const std::string& name) override {
        if (root_ == static_cast<int>(RegistryRoot::LocalMachine)) {
            auto it = registry_.machine_.find(Upper(Joined(path_)));
            if (it == registry_.machine_.end()) return std::nullopt;
            auto v = it->second.find(Upper(name));
            if (v == it->second.end()) return std::nullopt;
            return v->second;
        }
        if (root_ == static_cast<int>(RegistryRoot::CurrentUser)) {
            auto appSection = UserAppSection(path_);
            if (!appSection) return std::nullopt;
            auto sections = registry_.Load();
            for (auto& [sectionName, values] : sections) {
                if (Upper(sectionName) != Upper(*appSection)) continue;
                for (auto& [key, value] : values) {
                    if (Upper(key) == Upper(name)) return value;
                }
            }
        }
        return std::nullopt;
    }

private:
    static std::string Joined(const std::vector<std::string>& path) {
        std::string s = "HKEY_LOCAL_MACHINE";
        for (auto& p : path) s += "\\" + p;
        return s;
    }

    // "App\Section" when the path is a section of the per-user settings.
    static std::optional<std::string> UserAppSection(const std::vector<std::string>& path) {
        std::vector<std::string> prefix;
        std::stringstream ss(kUserSettingsKey);
        for (std::string part; std::getline(ss, part, '\\');) prefix.push_back(Upper(part));
        if (path.size() != prefix.size() + 2) return std::nullopt;
        for (size_t i = 0; i < prefix.size(); ++i) {
            if (Upper(path[i]) != prefix[i]) return std::nullopt;
        }
        return path[prefix.size()] + "\\" + path[prefix.size() + 1];
    }

    bool Exists(const std::vector<std::string>& path) const {
        if (root_ == static_cast<int>(RegistryRoot::LocalMachine)) {
            std::string wanted = Upper(Joined(path));
            for (auto& [key, values] : registry_.machine_) {
                if (key == wanted || key.rfind(wanted + "\\", 0) == 0) return true;
            }
            return false;
        }
        if (root_ == static_cast<int>(RegistryRoot::CurrentUser)) {
            std::vector<std::string> prefix;
            std::stringstream ss(kUserSettingsKey);
            for (std::string part; std::getline(ss, part, '\\');) prefix.push_back(Upper(part));
            for (size_t i = 0; i < path.size() && i < prefix.size(); ++i) {
                if (Upper(path[i]) != prefix[i]) return false;
            }
            if (path.size() <= prefix.size()) return true;
            auto sections = registry_.Load();
            std::string wanted = Upper(path[prefix.size()]);
            if (path.size() > prefix.size() + 1) {
                wanted += '\\';
                wanted += Upper(path[prefix.size() + 1]);
            }
            if (path.size() > prefix.size() + 2) return false;
            for (auto& [sectionName, values] : sections) {
                std::string s = Upper(sectionName);
                if (s == wanted || s.rfind(wanted + "\\", 0) == 0) return true;
            }
        }
        return false;
    }

    FileRegistry& registry_;
    int root_;
    std::vector<std::string> path_;
};

FileRegistry::FileRegistry(std::filesystem::path userFile) : userFile_(std::move(userFile)) {}

std::filesystem::path FileRegistry::DefaultUserFile() {
    if (const char* home = std::getenv("DORVANE_HOME"); home && *home) {
        return std::filesystem::path(home) / "registry.ini";
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        return std::filesystem::path(xdg) / "dorvane" / "registry.ini";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".config" / "dorvane" / "registry.ini";
}

FileRegistry::Sections FileRegistry::Load() const {
    Sections sections;
    std::ifstream in(userFile_);
    std::string line;
    std::string current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            current = Unescape(line.substr(1, line.size() - 2));
            sections[current];
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        sections[current][Unescape(line.substr(0, eq))] = Unescape(line.substr(eq + 1));
    }
    return sections;
}

void FileRegistry::CheckWritable() {
    const auto folder = userFile_.parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw RegistryError("cannot create the settings folder " + folder.string() + ": " + ec.message());
    // A name of this process's own: another program sharing the folder may
    // be writing the settings file's temporary copy right now.
    auto probe = userFile_;
    probe += ".";
    probe += std::to_string(::getpid());
    probe += ".probe";
    {
        std::ofstream out(probe, std::ios::trunc);
        if (!out) {
            const int error = errno;
            throw RegistryError("cannot write in the settings folder " + folder.string() + ": " +
                                std::strerror(error));
        }
    }
    std::filesystem::remove(probe, ec);
}

void FileRegistry::Store(const Sections& sections) const {
    std::error_code ec;
    std::filesystem::create_directories(userFile_.parent_path(), ec);
    auto tmp = userFile_;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        for (auto& [section, values] : sections) {
            if (values.empty()) continue;
            out << '[' << Escape(section, true) << "]\n";
            for (auto& [key, value] : values) {
                out << Escape(key, true) << '=' << Escape(value, false) << '\n';
            }
            out << '\n';
        }
        out.flush();
        if (!out) throw RegistryError("cannot write " + tmp.string());
    }
    std::filesystem::rename(tmp, userFile_, ec);
    if (ec) throw RegistryError("cannot write " + userFile_.string() + ": " + ec.message());
}

template <typename Fn>
void FileRegistry::Modify(Fn&& fn) {
    FileLock lock(userFile_);
    auto sections = Load();
    fn(sections);
    Store(sections);
}

namespace {

// Sections and keys match without regard to case; a value keeps the spelling
// under which it was first written.
template <typename Map>
auto FindNoCase(Map& map, const std::string& name) {
    auto it = map.find(name);
    if (it != map.end()) return it;
    std::string upper = Upper(name);
    for (it = map.begin(); it != map.end(); ++it) {
        if (Upper(it->first) == upper) return it;
    }
    return map.end();
}

}  // namespace

std::string FileRegistry::GetSetting(const std::string& app, const std::string& section,
                                     const std::string& key, const std::string& defaultValue) {
    auto sections = Load();
    auto s = FindNoCase(sections, SectionName(app, section));
    if (s == sections.end()) return defaultValue;
    auto v = FindNoCase(s->second, key);
    return v == s->second.end() ? defaultValue : v->second;
}

void FileRegistry::SaveSetting(const std::string& app, const std::string& section,
                               const std::string& key, const std::string& value) {
    Modify([&](Sections& sections) {
        auto s = FindNoCase(sections, SectionName(app, section));
        if (s == sections.end()) s = sections.emplace(SectionName(app, section), std::map<std::string, std::string>{}).first;
        auto v = FindNoCase(s->second, key);
        if (v == s->second.end()) {
            s->second.emplace(key, value);
        } else {
            v->second = value;
        }
    });
}

void FileRegistry::DeleteSetting(const std::string& app, const std::string& section,
                                 const std::string& key) {
    Modify([&](Sections& sections) {
        auto s = FindNoCase(sections, SectionName(app, section));
        if (s == sections.end()) return;
        auto v = FindNoCase(s->second, key);
        if (v != s->second.end()) s->second.erase(v);
    });
}

std::shared_ptr<IRegistryKey> FileRegistry::OpenRoot(int rootCode) {
    if (rootCode < 1 || rootCode > 5) throw RegistryError("unknown registry root");
    return std::make_shared<FileRegistryKey>(*this, rootCode, std::vector<std::string>{});
}

void FileRegistry::SetMachineValue(const std::string& keyPath, const std::string& valueName,
                                   const std::string& value) {
    machine_[Upper(keyPath)][Upper(valueName)] = value;
}

}  // namespace platform
