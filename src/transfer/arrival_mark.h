#pragma once
// The durable mark of a copy under construction. Before the DM creates the
// new document in the target, a row of the target's activity log names the
// source document; once the DM has given the new document its number, the
// row names that number too. The mark goes only when the copy stands
// complete and both libraries record it. A run that was killed in between
// leaves the mark behind, and the next transfer of the document finds it and
// removes the half-built copy (or drops the mark of a complete one) before
// it builds anything.
//
// The row is a type 0 entry whose REF_DOCUMENT is the source number negated:
// no search for copies of a document (REF_DOCUMENT = N) and no removal of
// rows that refer to a local document ever takes it for something else.

#include <cstdint>
#include <string>
#include <vector>

namespace core {
class Program;
}

namespace transfer {

struct ArrivalMark {
    int32_t SystemId = 0;
    int32_t DocNumber = 0;  // 0: the DM had not yet numbered the new document
};

// The mark's description; names the source library and document.
std::string ArrivalMarkText(const std::string& sourceLibrary, int32_t docNumber);

// Writes a mark in the connected (target) library for document docNumber of
// sourceLibrary; answers its SYSTEM_ID, 0 when it could not be written.
int32_t WriteArrivalMark(core::Program& p, const std::string& sourceLibrary, int32_t docNumber);
// Points the mark at the new document; false when the row did not change.
bool NumberArrivalMark(core::Program& p, int32_t markId, int32_t newDocNumber);
// The marks left in the connected library for that source document.
std::vector<ArrivalMark> FindArrivalMarks(core::Program& p, const std::string& sourceLibrary, int32_t docNumber);
void DropArrivalMark(core::Program& p, int32_t markId);

// Documents the DM created in the connected library after the mark was
// written, under the program's own user, that carry one of the names (no
// name, when all are empty) and are no copy of anything: what a run killed
// between the profile's save and the numbering of its mark left behind.
std::vector<int32_t> DocumentsCreatedAfter(core::Program& p, int32_t markId, const std::vector<std::string>& names);

}  // namespace transfer
