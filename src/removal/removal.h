#pragma once
// Removing a document or folder and everything that refers to it from a
// library, moving a document to another number, and the fix-up of a new
// document's first version. The one place where the program destroys data.

#include <cstdint>
#include <string>

namespace core {
class Program;
}
namespace folders {
class Folders;
}

namespace removal {

// The procedure whose name the removal's log lines carry when it goes on
// past a refused DM call: a step that fails is abandoned, whatever it would
// have set keeps its previous value, and the next step runs.
inline constexpr const char* kRemoveDocument = "RemoveDocument";

class Removal {
public:
    Removal(core::Program& program, folders::Folders& folders) : p_(program), folders_(folders) {}

    // Removes document docNumber of libraryName; with a negative number and a
    // reference library, the copy of document -docNumber of refLibrary.
    bool RemoveDocument(const std::string& libraryName, int32_t docNumber, const std::string& refLibrary);

    // Removes a document of libraryName that a transfer was building and
    // never finished. Nothing else can name its files yet, so those in the
    // library's own storage go in a metadata-only run too.
    bool RemoveUnfinishedCopy(const std::string& libraryName, int32_t docNumber);

    // Moves document currentNumber of the connected library to newNumber,
    // removing what stood under newNumber first.
    bool ChangeDocNumber(int32_t currentNumber, int32_t newNumber);

    // Replaces the placeholder version '1' of a new document by the version
    // labelled versionLabel (the first version when empty).
    bool ChangeFirstVersion(int32_t docNumber, const std::string& versionLabel);

private:
    bool Remove(const std::string& libraryName, int32_t docNumber, const std::string& refLibrary, bool unfinished);

    core::Program& p_;
    folders::Folders& folders_;
};

}  // namespace removal
