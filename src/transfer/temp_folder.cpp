#include "transfer/temp_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace transfer {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "Dorvane_";
constexpr const char* kLockSuffix = ".lock";

std::string Trimmed(std::string base) {
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
    return base;
}

}  // namespace

const char* TempFolder::Prefix() { return kPrefix; }

bool TempFolder::Make(const std::string& base, int32_t docNumber) {
    Remove();
    const std::string root = Trimmed(base);
    for (int k = 1; k <= 1000; ++k) {
        const std::string dir = root + "/" + kPrefix + std::to_string(docNumber) + "_" + std::to_string(k);
        const std::string lock = dir + kLockSuffix;
        // The lock is taken before the folder exists, so a sweep never sees
        // a live folder without a held lock.
        const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        std::error_code ec;
        if (fs::create_directory(fs::path(dir), ec) && !ec) {
            path_ = dir + "/";
            lockFile_ = lock;
            lockFd_ = fd;
            return true;
        }
        ::unlink(lock.c_str());
        ::close(fd);
    }
    return false;
}

void TempFolder::Remove() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(fs::path(path_), ec);
    if (!lockFile_.empty()) ::unlink(lockFile_.c_str());
    if (lockFd_ >= 0) ::close(lockFd_);
    path_.clear();
    lockFile_.clear();
    lockFd_ = -1;
}

int TempFolder::SweepAbandoned(const std::string& base) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(Trimmed(base)), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string suffix = kLockSuffix;
        if (name.rfind(kPrefix, 0) != 0 || name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string lock = it->path().string();
        const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code removeError;
            fs::remove_all(fs::path(lock.substr(0, lock.size() - suffix.size())), removeError);
            ::unlink(lock.c_str());
            ++removed;
        }
        ::close(fd);
    }
    return removed;
}

}  // namespace transfer
