#pragma once
// The security of a folder that CreateFolder has just made: the trustees of
// its source folder, matched by user and group id, or no trustees at all
// when the source has none. A restricted source never gives an open copy.

#include <cstdint>
#include <string>

namespace core {
class Program;
}

namespace folders {

// Gives folder (in library) the trustees of sourceFolder (in
// sourceLibrary); those the library does not know are named in a warning,
// and when none is known the connected user alone becomes the trustee.
// True when trustees were written and the folder's profile was read back
// into CurrentProfile, which the caller closes. Leaves the target library
// connected unless a connect failed.
// A run-time error of the reading and writing reaches the caller.
bool CopyFolderTrustees(core::Program& program, const std::string& library, int32_t folder,
                        const std::string& sourceLibrary, int32_t sourceFolder);

}  // namespace folders
