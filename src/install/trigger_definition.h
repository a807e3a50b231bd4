#pragma once
// The trigger definition as the administrator keeps it in the setup window,
// and the selection the queue trigger is written from once its entries have
// been looked up in the library.

#include <cstdint>
#include <string>
#include <vector>

namespace install {

// The list entry that stands for every library or every storage type.
inline constexpr const char* kAllEntries = "***ALL***";

// One criterion list: entries separated by commas, and its "Include" box.
// Checked, only profiles whose value is in the list are queued; cleared,
// profiles whose value is in the list are not.
struct CriterionList {
    std::string text;
    bool include = true;
};

struct TriggerDefinition {
    std::string targetLibrary;  // a library name, "***ALL***" or empty (every library)
    std::string storageType;    // "***ALL***", empty, or a storage type whose first letter is its code
    bool includeStorageType = true;
    CriterionList documentTypes;
    CriterionList applications;
    CriterionList authors;
    CriterionList typists;
    CriterionList matters;
    CriterionList groups;
};

// The six lists, in the order the trigger tests them.
enum class Criterion { DocumentTypes, Applications, Authors, Typists, Matters, Groups };
inline constexpr Criterion kCriteria[] = {Criterion::DocumentTypes, Criterion::Applications, Criterion::Authors,
                                          Criterion::Typists,       Criterion::Matters,      Criterion::Groups};

const CriterionList& ListOf(const TriggerDefinition& definition, Criterion criterion);

// A list whose entries were found: their SYSTEM_ID values in entry order.
struct ResolvedCriterion {
    Criterion criterion = Criterion::DocumentTypes;
    std::vector<int32_t> ids;
    bool include = true;
};

struct TriggerSelection {
    // REMOTE_LIBRARIES.SYSTEM_ID of the one target library; 0 for every
    // library but the source itself.
    int32_t targetSystemId = 0;
    // The storage type's code letter; empty for every storage type.
    std::string storageCode;
    bool includeStorageType = true;
    // Lists with at least one id; a list without any adds no test.
    std::vector<ResolvedCriterion> criteria;
};

}  // namespace install
