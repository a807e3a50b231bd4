#pragma once
// The folder a transfer checks its version copies out to. Each folder is
// held by a lock on a file beside it for as long as its transfer runs, so a
// folder whose lock nobody holds was left by a process that died, and the
// next transfer removes it.

#include <cstdint>
#include <string>

namespace transfer {

class TempFolder {
public:
    TempFolder() = default;
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The start of the name of every such folder.
    static const char* Prefix();
    // Makes a new folder "Dorvane_<docNumber>_<k>" in base; false when none
    // could be made.
    bool Make(const std::string& base, int32_t docNumber);
    // The folder with a trailing "/", "" when none is held.
    const std::string& Path() const { return path_; }
    // Removes the folder with whatever it holds, then its lock.
    void Remove();

    // Removes the folders of base whose lock nobody holds; answers how many.
    static int SweepAbandoned(const std::string& base);

private:
    std::string path_;
    std::string lockFile_;
    int lockFd_ = -1;
};

}  // namespace transfer
