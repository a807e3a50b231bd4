#pragma once
// Component files of a document and whether a removal may delete one. A
// document's rows can name files it does not own: a metadata-only copy
// points at the source library's storage, and two profiles can name the same
// file. A removal deletes a file only when it lies in the connected library's
// own document-server storage (DOCSERVERS.LOCATION) and no other profile of
// the library names it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace core {
class Program;
}

namespace removal {

// The files of the result standing in the SQL object, whose columns are
// DOCSERVER_LOC, PATH and COMPONENTS.PATH: (full path, file name) per row.
// Releases the result.
std::vector<std::pair<std::string, std::string>> ReadComponentFiles(core::Program& program);

class ComponentFileGuard {
public:
    // Reads the storage folders of the connected library; the files of
    // document docNumber are the ones asked about.
    ComponentFileGuard(core::Program& program, int32_t docNumber);

    // Whether the file at path (its last part fileName, as COMPONENTS.PATH
    // holds it) may be deleted; logs a warning naming the reason when not.
    // Runs SQL: not to be called while a result is being read.
    bool MayRemove(const std::string& path, const std::string& fileName);

private:
    bool InsideStorage(const std::string& path) const;
    // Whether the library compares texts without regard to letter case, as
    // its columns then do; asked once, at the first file looked up.
    bool ComparesWithoutCase();

    core::Program& p_;
    int32_t docNumber_;
    std::vector<std::string> locations_;
    std::optional<bool> withoutCase_;
};

}  // namespace removal
