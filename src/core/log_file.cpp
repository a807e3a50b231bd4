#include "core/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace core {

LogFile::~LogFile() { Close(); }

void LogFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool LogFile::StillNamed(const std::string& path) const {
    if (fd_ < 0 || path != path_) return false;
    // While the file is open its inode cannot be reused, so the same device
    // and inode under the path mean the same file.
    struct stat named {};
    return ::stat(path.c_str(), &named) == 0 && named.st_dev == device_ && named.st_ino == inode_;
}

bool LogFile::Append(const std::string& path, const std::string& bytes) {
    if (!StillNamed(path)) {
        Close();
        int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        struct stat opened {};
        if (::fstat(fd, &opened) != 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        fd_ = fd;
        path_ = path;
        device_ = opened.st_dev;
        inode_ = opened.st_ino;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            Close();
            errno = error;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace core
