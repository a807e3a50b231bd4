#pragma once
// From the trigger definition's texts to the selection: the entries of a
// criterion list, the statements that look each entry up in the library,
// and the test of what such a lookup found.

#include <cstdint>
#include <string>
#include <vector>

#include "dmclient/variant.h"
#include "install/trigger_definition.h"

namespace install {

// The entries of a criterion text: trimmed, cut at commas, empty pieces
// dropped, upper-cased; an apostrophe stays part of its entry, as the
// field check takes it. A text without a comma is one entry, even when
// empty; an empty text has none.
std::vector<std::string> CriterionEntries(const std::string& text);

// The select whose first column is the entry's SYSTEM_ID. A matter entry
// "CLIENT:MATTER" is looked up under that client (ids compared upper-cased).
std::string CriterionLookupStatement(Criterion criterion, const std::string& entry);

// Whether the lookup found the entry: a document type needs a first column
// that reads as a number other than 0, the others a row.
bool CriterionEntryFound(Criterion criterion, int32_t rowCount, const dm::Variant& firstColumn);

// True for a target that means every library: empty or "***ALL***".
bool IsEveryLibrary(const std::string& targetLibrary);

// The select whose first column is the target's REMOTE_LIBRARIES.SYSTEM_ID.
std::string TargetLookupStatement(const std::string& targetLibrary);

// The code letter of a storage type choice; empty for "***ALL***" or no
// choice.
std::string StorageCodeOf(const std::string& storageType);

}  // namespace install
