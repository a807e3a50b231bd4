#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/file_paths.h"
#include "core/program.h"
#include "forms/main_window.h"

namespace fs = std::filesystem;

namespace core {


int16_t Program::GetFileFN(const std::string& path, int16_t mode) {
    int16_t result = 0;
    std::string examined = path;
    if (path.empty()) {
        WriteLog("Error: Document Path not specified - unable to continue");
    } else if (mode == 1) {
        while (!examined.empty()) {
            if (EntryExists(examined)) {
                result = 1;
                break;
            }
            size_t sep = examined.find_last_of("\\/");
            if (sep == std::string::npos) break;
            examined = examined.substr(0, sep);
            while (!examined.empty() && (examined.back() == '\\' || examined.back() == '/')) examined.pop_back();
        }
    } else if (mode == 2) {
        result = 1;
        std::error_code ec;
        if (IsAnyFile(path) && fs::file_size(NativePath(path), ec) == 0 && !ec) {
            result = -1;
            WriteLog("File " + path + " is zero-bytes");
        }
    } else if (IsNormalFile(path)) {
        result = 1;
    } else if (IsAnyFile(path)) {
        result = -2;
        WriteLog("File " + path + " is hidden");
    } else {
        result = -1;
    }
    Separator();
    if (result == 0) {
        WriteLog("Error: Unable to access file " + examined);
        Separator();
    }
    return result;
}

bool Program::IsFileLocked(const std::string& path, bool forAppending) {
    // Another process holding the file (an exclusive lock on it) means in use;
    // a read-only file is not in use.
    int fd = ::open(NativePath(path).string().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT) {
            if (!forAppending) throw std::system_error(err, std::generic_category(), path);
            return false;
        }
        if (err == EACCES || err == EPERM) return true;
        throw std::system_error(err, std::generic_category(), path);
    }
    bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

bool Program::RemoveFile(const std::string& path, bool interactive) {
    if (path.empty()) return true;
    auto box = [&](const std::string& text) {
        if (interactive) platform.ui.MessageBox(text, platform::mb::Exclamation, AppTitle());
    };
    if (!IsAnyFile(path)) {
        WriteLog(path + " not found");
        Separator();
        box(path + " not found");
        return true;
    }
    if (interactive) {
        int answer = platform.ui.MessageBox("Are you sure you want to remove the file " + path + "?",
                                            platform::mb::YesNo + platform::mb::Question, AppTitle());
        if (answer != platform::mb::AnswerYes) return true;
    }
    bool locked = true;
    try {
        locked = IsFileLocked(path, true);
    } catch (const std::system_error&) {
        locked = true;
    }
    if (locked) {
        std::string text = "Error: " + path + " is locked - cannot remove";
        WriteLog(text);
        Separator();
        box(text);
        return false;
    }
    if (!interactive) {
        WriteLog("Removing " + path);
        Separator();
    }
    std::error_code ec;
    const fs::path native = NativePath(path);
    // Removing a name needs no write permission on the file itself, so a
    // read-only file goes like any other.
    fs::remove(native, ec);
    if (!IsAnyFile(path)) return true;
    std::string text = "Error: " + path + " has NOT been removed.";
    WriteLog(text);
    Separator();
    box(text);
    return false;
}

void Program::ViewLogFile(const std::string& path) {
    if (path.empty()) return;
    if (!IsNormalFile(path)) {
        ShowMessage("Log file " + path + " not found", platform::mb::Exclamation, AppTitle());
        return;
    }
    auto& ui = platform.ui;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    auto* label = StatusLabel();
    std::string saved = label ? label->Caption() : "";
    MonitorHeartbeat();
    if (label) label->SetCaption("Viewing File " + path + " using Notepad");
    const bool opened = platform.system.OpenInEditor(NativePath(path).string());
    if (!opened) ReportError(53, "Dorvane", "File not found: the text editor could not be started");
    ui.SetMousePointer(platform::MousePointer::Default);
    if (label) label->SetCaption(saved);
    if (!opened) {
        ShowMessage("No viewer could be started for log file " + path +
                        " - set VISUAL or EDITOR to a text editor, or install xdg-open",
                    platform::mb::Exclamation, AppTitle());
    }
}

}  // namespace core
