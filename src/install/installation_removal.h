#pragma once
// "&Remove a Library": takes the archive out of one library, or out of
// every library of the DM: empties and drops the queue table, drops the
// queue triggers and deletes the table's dictionary rows. Only a member of
// a group with universal access in the library may do it.

#include <string>

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
    int Ask(const std::string& text);

    core::Program& p_;
};

}  // namespace install
