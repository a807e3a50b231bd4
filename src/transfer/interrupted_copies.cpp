// Copies of the document that a killed run left in the target, found by
// their marks (arrival_mark.h) before anything new is built: a half-built
// copy goes; a complete one that only kept its mark loses the mark.

#include "core/program.h"
#include "core/sql_text.h"
#include "transfer/arrival_mark.h"
#include "transfer/transfer.h"

namespace transfer {

bool DocumentTransfer::RepairInterruptedCopies() {
    if (!Connect(v_.TargetLibrary)) return false;
    const auto marks = FindArrivalMarks(p_, v_.SourceLibrary, v_.DocNumber);
    const std::string& t = v_.TargetLibrary;
    const std::string n = Num(v_.DocNumber);
    for (const auto& mark : marks) {
        if (mark.DocNumber == 0) {
            // Killed around the profile's save: the DM may have made the
            // document before the mark learnt its number.
            if (!Connect(v_.SourceLibrary)) return false;
            p_.RunSQL("SELECT DOCNAME FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
            const bool sourceFound = p_.session.PcdSql->RowCount() > 0;
            const std::string name = p_.session.PcdSql->ColumnValue(1).ToText();
            p_.session.PcdSql->ReleaseResults();
            if (!Connect(t)) return false;
            if (sourceFound) {
                // Named as the copy would be, with or without the library's
                // name: the option may have changed since.
                const std::vector<std::string> names = {CopyName(name, false), CopyName(name, true)};
                for (int32_t doc : DocumentsCreatedAfter(p_, mark.SystemId, names)) {
                    if (!RemoveInterruptedCopy(doc)) return false;
                }
            } else {
                p_.WriteLog("Warning: A run was interrupted while it created a copy of document #" + n + " of library " +
                            v_.SourceLibrary + " in library " + t +
                            ", and the document is gone from its library - a profile it left cannot be identified");
                p_.Separator();
            }
            DropArrivalMark(p_, mark.SystemId);
            continue;
        }
        if (ProfileExists(mark.DocNumber) && IsCopyOfSource(mark.DocNumber)) {
            // Complete and recorded here: the source's part is what is left.
            if (v_.FinishOnly) {
                DropArrivalMark(p_, mark.SystemId);
                continue;
            }
            v_.FinishOnly = true;
            v_.TargetDocNumber = mark.DocNumber;
            v_.ArrivalMarkId = mark.SystemId;
            continue;
        }
        if (!RemoveInterruptedCopy(mark.DocNumber)) return false;
        // Gone with the document's rows, unless its profile was gone already.
        DropArrivalMark(p_, mark.SystemId);
    }
    return true;
}

bool DocumentTransfer::RemoveInterruptedCopy(int32_t docNumber) {
    const std::string& t = v_.TargetLibrary;
    p_.WriteLog("Document #" + Num(docNumber) + " in library " + t + " is an incomplete copy of document #" +
                Num(v_.DocNumber) + " of library " + v_.SourceLibrary + " left by an interrupted run - removing it");
    p_.Separator();
    if (RemoveForced(t, docNumber, t, true) && Connect(t) && !ProfileExists(docNumber)) return true;
    Fail("Error: The incomplete copy #" + Num(docNumber) + " of document #" + Num(v_.DocNumber) + " in library " + t +
         " could not be removed - the document will be tried again later");
    return false;
}

}  // namespace transfer
