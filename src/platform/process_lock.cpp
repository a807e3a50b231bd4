#include "platform/process_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>

namespace platform {

namespace {

// A name as a file name: letters, digits, '-', '_' and '.' stay, anything
// else becomes %XX, so that no name reaches another folder.
std::string FileName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '_' || (c == '.' && !out.empty())) {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Message(int error) { return std::error_code(error, std::generic_category()).message(); }

bool Alive(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

}  // namespace

FileProcessLock::FileProcessLock(std::filesystem::path folder, const std::string& name)
    : file_(std::move(folder) / (FileName(name) + ".lock")) {}

FileProcessLock::~FileProcessLock() {
    if (fd_ < 0) return;
    // No id stays behind for a reader to take for a live holder.
    if (::ftruncate(fd_, 0) != 0) {
        // Only the name of the holder stays; the lock goes with the close.
    }
    ::close(fd_);
}

IProcessLock::Attempt FileProcessLock::TryTake() {
    if (fd_ >= 0) return {Outcome::Taken, 0, ""};
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    // Not inherited by the editor or shell the program starts: the lock
    // goes with this process.
    const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return {Outcome::Failed, 0, file_.string() + ": " + Message(errno)};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return {Outcome::HeldElsewhere, ReadHolder(), ""};
        return {Outcome::Failed, 0, file_.string() + ": " + Message(error)};
    }
    fd_ = fd;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The lock holds all the same; the others cannot name its holder.
    }
    return {Outcome::Taken, 0, ""};
}

long FileProcessLock::ReadHolder() const {
    // A new holder writes its id a moment after it took the lock, over the
    // id of one that died: look again briefly before giving up on the name.
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::ifstream in(file_);
        long pid = 0;
        if (in >> pid && Alive(pid)) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

}  // namespace platform
