#pragma once
// The per-library cache: one row of text cells per DM library in the order of
// the session's library list (row 0 for a library outside it). Flags are
// stored as "-1" and "0"; an empty cell has not been read yet.

#include <string>
#include <vector>

namespace core {

class LibraryCache {
public:
    static constexpr int kColumns = 30;
    enum Column {
        kName = 1,
        kSettingsTable = 5,
        kQueueTable = 6,
        kOwner = 20,
        kSecurityLink = 22,
        kActivityStartTime = 23,
        kVersionEditTime = 24,
        kDatabaseVersion = 25,
        kSecurityRights = 26,
        kEncryptionKeyId = 29,
    };

    int LibraryCount() const { return count_; }
    bool Built() const { return count_ > 0; }
    void Build(const std::vector<std::string>& upperNames);

    // Row of the library of that name (upper case on both sides), else 0.
    int FindRow(const std::string& name) const;

    std::string& Cell(int row, int column);
    const std::string& Cell(int row, int column) const;

private:
    int count_ = 0;
    std::vector<std::vector<std::string>> rows_{1, std::vector<std::string>(kColumns)};
};

}  // namespace core
