#pragma once
// A lock that the processes of one computer share by name: one holder at a
// time, until it lets go or ends, however it ends. The operating system
// frees the lock of a process that died, so nothing stale is left to clear.

#include <filesystem>
#include <string>

namespace platform {

class IProcessLock {
public:
    enum class Outcome { Taken, HeldElsewhere, Failed };
    struct Attempt {
        Outcome outcome = Outcome::Failed;
        // HeldElsewhere: the process that holds it, 0 when it cannot be told.
        long holder = 0;
        // Failed: why.
        std::string error;
    };

    // Lets go when taken.
    virtual ~IProcessLock() = default;
    // Takes the lock unless another holder has it; never waits.
    virtual Attempt TryTake() = 0;
};

// An advisory file lock (flock) on a file of a folder that those processes
// share. The file records the process id of its holder for the others to
// name; the file stays, the lock does not. Two locks of one name exclude
// each other within one process too.
class FileProcessLock : public IProcessLock {
public:
    FileProcessLock(std::filesystem::path folder, const std::string& name);
    ~FileProcessLock() override;
    FileProcessLock(const FileProcessLock&) = delete;
    FileProcessLock& operator=(const FileProcessLock&) = delete;

    Attempt TryTake() override;
    const std::filesystem::path& File() const { return file_; }

private:
    long ReadHolder() const;

    std::filesystem::path file_;
    int fd_ = -1;
};

}  // namespace platform
