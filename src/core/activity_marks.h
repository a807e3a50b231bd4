#pragma once
// Marks of work under way in the connected library's activity log. Before
// the DM creates something that takes more than one step to complete, a
// type 0 row is written; once the DM has numbered the new item, the row
// names it; when the item stands complete, the row goes. A run killed in
// between leaves the row behind for the next run to find.
//
// The row's REF_DOCUMENT is negative (the mark's own key, negated), so that
// no search for copies of a document and no removal of rows that refer to a
// local document ever takes it for something else.

#include <cstdint>
#include <string>

namespace core {

class Program;

// The statement text that gives the SYSTEM_ID of the program's user in the
// connected library, for its marks and for finding what the DM wrote for it.
std::string OwnUserKey(Program& p);

// Numbers a mark carries in PAGES and KEYSTROKES, which the program's other
// entries leave 0: what a caller needs to tell its marks apart.
struct MarkNumbers {
    int32_t pages = 0;
    int32_t keystrokes = 0;
};

// Writes a mark with the text and REF_DOCUMENT refDocument and the
// database's time; answers its SYSTEM_ID, 0 when it could not be written.
int32_t WriteActivityMark(Program& p, int64_t refDocument, const std::string& text, MarkNumbers numbers = {});
// Points the mark at the new item; false when the row did not change.
bool NumberActivityMark(Program& p, int32_t markId, int32_t docNumber);
void DropActivityMark(Program& p, int32_t markId);

}  // namespace core
