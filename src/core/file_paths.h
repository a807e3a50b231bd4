#pragma once
// Paths as the program builds them ("\" and "/" both separate folders) and
// the existence tests of its file procedures.

#include <filesystem>
#include <string>

namespace core {

std::filesystem::path NativePath(const std::string& path);
// A regular file that is not hidden (its name does not begin with ".").
bool IsNormalFile(const std::string& path);
// A regular file, hidden or not.
bool IsAnyFile(const std::string& path);
// Anything at all under that name (a folder, a dangling link).
bool EntryExists(const std::string& path);

}  // namespace core
