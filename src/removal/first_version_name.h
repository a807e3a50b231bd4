#pragma once
// The file name a component carries as version '1': the DM names files
// <code><two-digit version><subversion>.<ext> (A4F02!.DOC), so version 1's
// name has "01" in place of the two characters before the base name's last
// one; a bare "02" extension becomes "01" instead.

#include <optional>
#include <string>

namespace removal {

// The version-1 name of fileName; nothing when its base name (the trimmed
// text before the first ".") is shorter than three characters.
std::optional<std::string> FirstVersionFileName(const std::string& fileName);

}  // namespace removal
