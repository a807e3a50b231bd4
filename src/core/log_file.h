#pragma once
// The log file, kept open from one entry to the next. Before each entry the
// path is checked against the open file: a log that was purged, removed,
// replaced or renamed meanwhile (by the program or by anyone else) is opened
// anew, so an entry never lands in a file nobody can find.

#include <sys/types.h>

#include <string>

namespace core {

class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Appends the bytes to the file at path with one write; false (errno
    // set) when the file cannot be opened or written.
    bool Append(const std::string& path, const std::string& bytes);
    void Close();

private:
    // Whether the path still names the open file.
    bool StillNamed(const std::string& path) const;

    int fd_ = -1;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace core
