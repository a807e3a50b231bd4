#pragma once
// "&Remove a Library": takes the archive out of one library, or out of
// every library of the DM: drops the queue triggers, then the queue table
// with its rows, then deletes the table's dictionary rows; a step that
// fails stops the work in that library and is reported. Only a member of a
// group with universal access in the library may do it.

#include <string>
#include <vector>

namespace core {
class Program;
}

namespace install {

class InstallationRemoval {
public:
    explicit InstallationRemoval(core::Program& program) : p_(program) {}

    // The menu command.
    void MNRemove_Click();
    // The work for one library; true when every step down to the deletion of
    // the dictionary rows was carried out. The library connected before is
    // connected again.
    bool DorvaneRemove(const std::string& libraryName);

private:
    bool RemoveFromConnected(const std::string& libraryName);
    // Reports a step that failed in the library; false.
    bool Failed(const std::string& name, const std::string& what);
    int Ask(const std::string& text);

    core::Program& p_;
    // The libraries of the command in hand where a step failed.
    std::vector<std::string> failed_;
};

}  // namespace install
