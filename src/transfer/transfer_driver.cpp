// The frame of one transfer: the entry checks, the skip rules on the source
// row, the earlier copy in the target, the source profile, the order of the
// steps, and the end with its rollback.

#include <system_error>

#include "core/checked_work.h"
#include "core/date_text.h"
#include "core/dm_calls.h"
#include "core/held_check.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "removal/removal.h"
#include "transfer/activity_log_entry.h"
#include "transfer/arrival_mark.h"
#include "transfer/date_values.h"
#include "transfer/transfer.h"

namespace transfer {

int32_t DocumentTransfer::TransferDocument(const std::string& sourceLibrary, const std::string& targetLibrary,
                                           int32_t docNumber) {
    v_ = TransferValues{};
    v_.SourceLibrary = sourceLibrary;
    v_.TargetLibrary = targetLibrary;
    v_.DocNumber = docNumber;
    core::CheckedWork work(p_);
    work_ = &work;
    try {
        if (CheckTransferEntry() == Entry::Refused) {
            work_ = nullptr;
            return 0;
        }
        SweepAbandonedTempFolders();
        RunSteps();
    } catch (const dm::DmError& e) {
        p_.Separator();
        p_.WriteLog("TransferDocument:");
        p_.ReportError(e);
        v_.TransferResult = 0;
    } catch (const std::system_error& e) {
        p_.Separator();
        p_.WriteLog("TransferDocument:");
        p_.ReportError(e.code().value(), "Dorvane", e.what());
        v_.TransferResult = 0;
    }
    int32_t result = EndTransfer();
    // Whatever the steps made of a refusal they went past, the document is
    // not done: the next run repairs what was left.
    if (result != 0 && !Go(true)) result = 0;
    work_ = nullptr;
    return result;
}

bool DocumentTransfer::Go(bool ok) {
    if (!ok) return false;
    if (!work_ || !work_->Failed()) return true;
    Fail("Error: Document #" + Num(v_.DocNumber) + " of library " + v_.SourceLibrary +
         " met a refused statement or DM call on its way to library " + v_.TargetLibrary + " - it will be tried again");
    return false;
}

// The steps in the order they run; each answers false when it has ended the
// transfer.
void DocumentTransfer::RunSteps() {
    const auto options = p_.Options();
    const bool move = options.Move();

    if (!Go(RepairInterruptedCopies())) return;
    if (v_.FinishOnly) {
        FinishRecordedCopy();
        return;
    }
    if (!Go(ApplySkipRules())) return;
    if (v_.SourceRowFound && !Go(FindEarlierCopy())) return;
    if (!Go(OpenSourceProfile())) return;
    if (move && !Go(MaySourceBeRemoved())) return;
    if (v_.OnlySourceRemovalLeft) {
        if (!Go(RemoveMovedSource())) return;
        FinishTransfer();
        return;
    }

    if (!Go(ReadSourceColumns())) return;
    if (Cancelled()) return;
    CountPartialCopies();
    ReadEmailColumns();
    ReadDateColumns();
    ReadPeopleLinks();
    if (!Go(ReadTrustees())) return;

    if (!Go(CollectVersionRows())) return;
    if (!Go(CheckOutVersionFiles())) return;
    WarnMissingVersions();
    if (!Go(FetchActivityLog())) return;
    if (!Go(CollectFolderChain())) return;
    if (!Go(CollectRelatedItems())) return;

    // The target: the new document is built next to whatever stands there.
    if (!Go(NameTheCopy())) return;
    if (!Go(RemoveSameNamedDocuments())) return;
    if (!Go(ChooseTargetNumber())) return;
    if (!Go(ChooseProfileForm())) return;
    EnableLookupEntries();
    if (!Go(CreateTargetProfile())) return;
    if (!Go(FixTargetNumber())) return;
    if (!Go(WriteEmailColumns())) return;
    if (v_.VersionRows.empty()) {
        p_.WriteLog("NOT Adding any Versions");
        p_.Separator();
    } else {
        if (!Go(OpenTargetProfile())) return;
        const bool added = options.MetadataOnly() ? AddMetadataOnlyVersions() : AddTargetVersions();
        if (!Go(added)) return;
    }
    if (!Go(WriteTargetSecurity())) return;
    if (!Go(CopyActivityLog())) return;
    NoteSkippedVersions();
    FileIntoFolders();
    if (!Go(WritePeopleColumns())) return;
    RedisableLookupEntries();
    if (!Go(WriteDateColumns())) return;
    if (!Go(MarkTargetReadOnly())) return;

    // The new document stands complete: earlier copies make way for it,
    // then the source learns where it went.
    if (!Go(VerifyMove())) return;
    if (!Go(KeepCompleteEarlierCopies())) return;
    if (!Go(ReplaceEarlierCopies())) return;
    if (!Go(ClearDmActivity())) return;
    if (v_.IncompleteCopy()) {
        // Recorded, so that the next try replaces it; the source stays as
        // it is until a complete copy stands.
        if (!Go(WriteTransferEntries())) return;
        // Without its mark it is an earlier copy, replaced next time.
        if (v_.ArrivalMarkId != 0) DropArrivalMark(p_, v_.ArrivalMarkId);
        v_.ArrivalMarkId = 0;
        Fail("Error: Document #" + Num(v_.DocNumber) + " was copied to document #" + Num(v_.TargetDocNumber) +
             " in library " + v_.TargetLibrary + " without " + Num(v_.VersionsMissed()) +
             " of its version(s) - it will be tried again");
        return;
    }
    if (!Go(WriteTransferEntries())) return;
    if (!Go(RelinkRelatedItems())) return;
    if (!Go(RemoveFromSourceFolders())) return;
    if (!Go(MarkSourceReadOnly())) return;
    if (move && !(Go(LetGoOfMark()) && Go(RemoveMovedSource()))) return;
    RemoveTempFiles();
    FinishTransfer();
}

void DocumentTransfer::FinishRecordedCopy() {
    const auto options = p_.Options();
    const std::string n = Num(v_.DocNumber);
    p_.WriteLog("Document #" + Num(v_.TargetDocNumber) + " in library " + v_.TargetLibrary +
                " is a complete copy of document #" + n + " of library " + v_.SourceLibrary +
                " - finishing what an earlier run left of its transfer");
    p_.Separator();
    v_.PastPointOfNoReturn = true;
    if (!Go(Connect(v_.SourceLibrary))) return;
    if (!Go(PutBackCheckOuts())) return;
    auto& sql = p_.session.PcdSql;
    Read("SELECT READONLY, READONLY_DATE FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
    const bool found = sql->RowCount() > 0;
    const bool readOnly = core::Trim(sql->ColumnValue(1).ToText()) == "Y";
    const std::string date = core::Trim(sql->ColumnValue(2).ToText());
    sql->ReleaseResults();
    if (!found) {
        // A Move that removed its source: only the mark was left.
        FinishTransfer();
        return;
    }
    v_.SourceRowFound = true;
    v_.SourceReadOnly = readOnly;
    if (readOnly || options.TakeReadOnlyDate()) v_.SourceReadOnlyDate = date.empty() ? NowText() : date;
    if (!Go(WriteTransferEntries())) return;
    if (!Go(CollectRelatedItems())) return;
    if (!Go(RelinkRelatedItems())) return;
    if (options.Transfer()) {
        if (!Go(Connect(v_.SourceLibrary))) return;
        if (!Go(CollectFolderChain())) return;
        if (!Go(RemoveFromSourceFolders())) return;
    }
    if (!Go(MarkSourceReadOnly())) return;
    if (options.Move() && !(Go(LetGoOfMark()) && Go(RemoveMovedSource()))) return;
    FinishTransfer();
}

bool DocumentTransfer::LetGoOfMark() {
    if (v_.ArrivalMarkId == 0) return true;
    if (!Connect(v_.TargetLibrary)) return false;
    DropArrivalMark(p_, v_.ArrivalMarkId);
    v_.ArrivalMarkId = 0;
    return true;
}

bool DocumentTransfer::MaySourceBeRemoved() {
    auto& lib = p_.session.ConnectedLibrary;
    if (core::Program::HasRight(lib, "User.DocDelete")) return true;
    Fail("Error: " + lib->UserId() + " does not have permission to delete documents in library " +
         p_.ConnectedLibraryName() + " - document #" + Num(v_.DocNumber) + " will NOT be moved");
    return false;
}

DocumentTransfer::Entry DocumentTransfer::CheckTransferEntry() {
    auto& lib = p_.session.ConnectedLibrary;
    v_.SavedLibraryName = p_.ConnectedLibraryName();
    if (auto* label = p_.StatusLabel()) v_.SavedStatusText = label->Caption();
    if (!p_.CheckFusion("TransferDocument")) return Entry::Refused;
    if (!lib) {
        p_.WriteLog("Error: Library object not set - cannot continue");
        p_.Separator();
        return Entry::Refused;
    }
    // Library names are the DM's and match without regard to case.
    if (v_.SourceLibrary.empty() || v_.DocNumber == 0 || v_.TargetLibrary.empty() ||
        core::Upper(v_.TargetLibrary) == core::Upper(v_.SourceLibrary)) {
        p_.WriteLog("Error: Invalid data passed to TransferDocument function - cannot continue");
        p_.Separator();
        return Entry::Refused;
    }
    const std::string connected = lib->Name();
    if (core::Upper(connected) != core::Upper(v_.TargetLibrary) &&
        !core::Program::HasRight(lib, "User.SaveToRemoteLibrary")) {
        p_.WriteLog("Error: " + lib->UserId() + " does not have rights to save documents to the (remote) " +
                    "library " + v_.TargetLibrary + " from library " + connected);
        p_.Separator();
        return Entry::Refused;
    }
    return Entry::Pass;
}

bool DocumentTransfer::ApplySkipRules() {
    auto& sql = p_.session.PcdSql;
    const int32_t n = v_.DocNumber;
    if (!Connect(v_.SourceLibrary)) return false;

    v_.ProfileFound = false;
    if (!PutBackCheckOuts()) return false;
    Read("SELECT P.LAST_EDIT_DATE, P.STATUS, A.APPLICATION, P.PD_OBJ_TYPE FROM [OWNER].PROFILE P "
         "LEFT OUTER JOIN [OWNER].APPS A ON A.SYSTEM_ID = P.APPLICATION WHERE P.DOCNUMBER = " +
         Num(n));
    v_.SourceLastEditDate = sql->ColumnValue(1);
    v_.SourceStatus = sql->ColumnValue(2).ToLong();
    v_.SourceObjectType = dm::LeadingNumber(sql->ColumnValue(4).ToText());
    v_.SourceApplication = sql->ColumnValue(3);
    const int32_t rows = sql->RowCount();
    sql->ReleaseResults();
    if (rows == 0) return true;
    v_.SourceRowFound = true;

    auto skip = [&](const std::string& text, int32_t result) {
        p_.WriteLog("Document #" + Num(n) + text);
        v_.TransferResult = result;
        return false;
    };
    const int32_t status = v_.SourceStatus;
    if (v_.SourceApplication.ToText() == "FOLDER") return skip(" is a Folder - skipping", -1);
    if (status == 16) return skip(" is being archived - skipping", 0);
    if (status == 4) return skip(" was already transferred - skipping", -1);
    if (v_.SourceObjectType > 1) {
        return skip(" is an unsupported object type (" + dm::FormatWhole(v_.SourceObjectType) + ") - skipping", -1);
    }
    if (status == 6 || status == 18) {
        if (p_.Options().RemoveCopiesOfDeleted()) return RemoveTargetCopy();
        return skip(status == 6 ? " was already archived - skipping" : " was marked for deletion - skipping", -1);
    }
    // A read-only source that this target holds a complete copy of, no older
    // than it, is done: a Copy that marked it and could not end its queue
    // row leaves it so for the next run.
    if (status == 19 && !p_.Options().Move()) {
        if (!FindEarlierCopy()) return false;
        if (v_.EarlierCopyConfirmed) {
            v_.TargetDocNumber = v_.EarlierCopy;
            return skip(" is read-only and was copied to library " + v_.TargetLibrary + " already - skipping", -1);
        }
    }
    if (status != 0 && status != 3) return skip(" is unavailable (" + Num(status) + ") - skipping", 0);
    if (status == 3) {
        p_.WriteLog("Changing status from 3 (Checked Out) to 0 (Available)");
        p_.Separator();
        // Put back on every way out (RestoreSourceState).
        v_.SourceStatusChanged = true;
        v_.CheckOutRowsMovedAside = true;
        if (!WriteOrFail("UPDATE [OWNER].PROFILE SET STATUS = 0 WHERE DOCNUMBER = " + Num(n), "the status of the source") ||
            !WriteOrFail("UPDATE [OWNER].CHECKOUT SET DOCNUMBER = DOCNUMBER * -1 WHERE DOCNUMBER = " + Num(n),
                         "the check-out rows of the source")) {
            return false;
        }
    }
    return true;
}

bool DocumentTransfer::PutBackCheckOuts() {
    const std::string n = Num(v_.DocNumber);
    const std::string ownComment = OwnCheckOutComment(p_.session.ConnectedLibrary->UserId());
    const std::string ownFolder = TempFolder::Prefix() + n + "_";
    auto& sql = p_.session.PcdSql;
    Read("SELECT P.STATUS, C.DOCNUMBER, C.COMMENTS, C.LOCATION FROM [OWNER].PROFILE P LEFT OUTER JOIN "
         "[OWNER].CHECKOUT C ON C.DOCNUMBER IN (P.DOCNUMBER, -P.DOCNUMBER) WHERE P.DOCNUMBER = " + n);
    int32_t status = 0;
    bool aside = false, own = false, users = false;
    for (bool more = sql->RowCount() > 0; more; more = sql->NextRow()) {
        status = sql->ColumnValue(1).ToLong();
        if (sql->ColumnValue(2).IsBlank()) continue;
        if (sql->ColumnValue(2).ToLong() < 0) {
            aside = true;
        } else if (sql->ColumnValue(3).ToText() == ownComment &&
                   sql->ColumnValue(4).ToText().find(ownFolder) != std::string::npos) {
            own = true;
        } else {
            users = true;
        }
    }
    sql->ReleaseResults();
    if (!aside && !own && (!users || status != 0)) return true;

    // What a run that ended in the middle of the source's state left: the
    // check-outs it made to copy the files go, check-out rows it moved aside
    // come back, and the status follows the check-outs that remain.
    p_.WriteLog("Document #" + n + " of library " + v_.SourceLibrary +
                " was left by an interrupted run with its check-out state changed - putting it back");
    p_.Separator();
    if (own && !WriteOrFail("DELETE FROM [OWNER].CHECKOUT WHERE DOCNUMBER = " + n + " AND COMMENTS = '" +
                                core::DoubleApostrophes(ownComment) + "' AND LOCATION LIKE '%" + ownFolder + "%'",
                            "the check-out rows of the source")) {
        return false;
    }
    if (aside && !WriteOrFail("UPDATE [OWNER].CHECKOUT SET DOCNUMBER = DOCNUMBER * -1 WHERE DOCNUMBER = " +
                                  Num(-v_.DocNumber),
                              "the check-out rows of the source")) {
        return false;
    }
    const bool checkedOut = aside || users;
    // Only the two states a run moves the source between: available and
    // checked out.
    if ((status != 0 && status != 3) || checkedOut == (status == 3)) return true;
    return WriteOrFail("UPDATE [OWNER].PROFILE SET STATUS = " + std::string(checkedOut ? "3" : "0") +
                           " WHERE DOCNUMBER = " + n,
                       "the status of the source");
}

// The target's copy of a source document that is gone, archived or marked
// for deletion; always ends the transfer.
bool DocumentTransfer::RemoveTargetCopy() {
    p_.WriteLog("Document #" + Num(v_.DocNumber) + " copy will be removed from library " + v_.TargetLibrary +
                " (if it exists)");
    p_.Separator();
    v_.TransferResult = RemoveForced(v_.TargetLibrary, -v_.DocNumber, v_.SourceLibrary) ? -1 : 0;
    return false;
}

int32_t DocumentTransfer::ArrivedCopy() {
    if (!Connect(v_.TargetLibrary)) return -1;
    const std::string n = Num(v_.DocNumber);
    const bool read = p_.RunSQLAccepted(
        "SELECT COUNT(*), MAX(A.DOCNUMBER) FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES "
        "RL ON RL.SYSTEM_ID = A.REF_LIBRARY WHERE A.ACTIVITY_TYPE = " + Num(kActivityTransferredIn) +
        " AND A.REF_DOCUMENT = " + n + " AND RL.LIBRARY_NAME = '" + core::DoubleApostrophes(v_.SourceLibrary) +
        "' AND A.DOCNUMBER IN (SELECT DOCNUMBER FROM [OWNER].PROFILE)");
    auto& sql = p_.session.PcdSql;
    const std::string count = read ? sql->ColumnValue(1).ToText() : "";
    const int32_t copy = read ? sql->ColumnValue(2).ToLong() : 0;
    sql->ReleaseResults();
    // Unread, the copy might be the archive: nothing is removed on a guess.
    if (count.empty()) {
        Fail("Error: Unable to tell whether document #" + n + " of library " + v_.SourceLibrary +
             " went to library " + v_.TargetLibrary + " by a Move or Transfer - it will be tried again later");
        return -1;
    }
    if (!Connect(v_.SourceLibrary)) return -1;
    return dm::LeadingNumber(count) > 0 ? copy : 0;
}

bool DocumentTransfer::FindEarlierCopy() {
    auto& sql = p_.session.PcdSql;
    const int32_t n = v_.DocNumber;
    const std::string& t = v_.TargetLibrary;
    p_.ShowStatus("Determining whether document #" + Num(n) + " has already been transferred to library " + t);
    p_.Separator();
    Read("SELECT A.REF_DOCUMENT, A.ACTIVITY_TYPE, A.ACTIVITY_DESC FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN "
         "[OWNER].REMOTE_LIBRARIES RL ON RL.SYSTEM_ID = A.REF_LIBRARY WHERE A.DOCNUMBER = " +
         Num(n) + " AND A.ACTIVITY_TYPE IN (0, 25) AND RL.LIBRARY_NAME = '" + core::DoubleApostrophes(t) + "'");
    bool movedThere = false;
    if (sql->RowCount() >= 1) {
        v_.EarlierCopy = sql->ColumnValue(1).ToLong();
        movedThere = sql->ColumnValue(2).ToLong() == kActivityTransferredOut &&
                     core::Upper(sql->ColumnValue(3).ToText()).rfind(core::Upper(kMovedTo), 0) == 0;
        p_.WriteLog("Document # " + Num(n) + " was previously processed to # " + Num(v_.EarlierCopy) + " in library " +
                    t);
    } else {
        p_.WriteLog("Document #" + Num(n) + " was not previously processed to library " + t);
    }
    sql->ReleaseResults();
    p_.Separator();
    if (v_.EarlierCopy <= 0) {
        v_.EarlierCopy = 0;
        return true;
    }

    const std::string source = p_.ConnectedLibraryName();
    if (!Connect(t)) return false;
    if (ProfileExists(v_.EarlierCopy)) {
        // A number the target reused for another document is no copy of ours:
        // it is neither kept as one nor replaced.
        if (!IsCopyOfSource(v_.EarlierCopy)) {
            p_.WriteLog("Note: Document #" + Num(v_.EarlierCopy) + " in library " + t + " is not a copy of document #" +
                        Num(n) + " in library " + v_.SourceLibrary + " - it will be left as it is");
            p_.Separator();
            v_.EarlierCopy = 0;
        } else {
            v_.EarlierCopyConfirmed = true;
            const dm::Variant copyEdited =
                Scalar("SELECT LAST_EDIT_DATE FROM [OWNER].PROFILE WHERE DOCNUMBER = " + Num(v_.EarlierCopy));
            const int64_t newer = MinuteBoundaries(v_.SourceLastEditDate, copyEdited);
            if (movedThere && newer >= 0 && p_.Options().Move()) {
                // A Move got as far as recording its complete copy; the
                // source was not edited since, so only its removal is left.
                p_.WriteLog("Document #" + Num(n) + " was moved to document #" + Num(v_.EarlierCopy) + " in library " +
                            t + " already - only its removal from library " + v_.SourceLibrary + " is left");
                p_.Separator();
                v_.OnlySourceRemovalLeft = true;
                v_.TargetDocNumber = v_.EarlierCopy;
                return Connect(source);
            }
            if (newer > 0) {
                p_.WriteLog("Document #" + Num(v_.EarlierCopy) + " in library " + t +
                            " was edited more recently than document #" + Num(n) + " in library " +
                            v_.SourceLibrary);
                p_.Separator();
                v_.TransferResult = -1;
                v_.TargetDocNumber = v_.EarlierCopy;
                return false;
            }
        }
    }
    return Connect(source);
}

bool DocumentTransfer::OpenSourceProfile() {
    auto& s = p_.session;
    if (s.CurrentProfile) {
        s.CurrentProfile->Close();
        s.CurrentProfile.reset();
    }
    const int32_t n = v_.DocNumber;
    if (v_.SourceRowFound) {
        p_.ShowStatus("Fetching profile for document #" + Num(n) + " from library " + p_.ConnectedLibraryName());
        s.CurrentProfile = s.ConnectedLibrary->GetProfile(n);
        p_.Separator();
        v_.ProfileFound = s.CurrentProfile && s.CurrentProfile->DocNumber() != 0;
        if (v_.ProfileFound) return true;
        // The row is there: the document exists and only its profile could
        // not be had now. Its archive copy stays; the row is tried again.
        p_.WriteLog("Error: Unable to open the profile of document #" + Num(n) + " in library " +
                    p_.ConnectedLibraryName() + " - it will be tried again later");
        p_.Separator();
        v_.TransferResult = 0;
        return false;
    }
    p_.WriteLog("Document #" + Num(n) + " not found in library " + p_.ConnectedLibraryName());
    p_.Separator();
    // Gone because a Move (or a Transfer) of this very document took it
    // there: its copy is the archive, not the copy of a deleted document.
    const int32_t arrived = ArrivedCopy();
    if (arrived < 0) return false;
    if (arrived > 0) {
        p_.WriteLog("Document #" + Num(n) + " of library " + v_.SourceLibrary + " went to document #" + Num(arrived) +
                    " in library " + v_.TargetLibrary + " by a Move or Transfer - its copy stays");
        p_.Separator();
        v_.TransferResult = -1;
        v_.TargetDocNumber = arrived;
        return false;
    }
    if (p_.Options().RemoveCopiesOfDeleted()) return RemoveTargetCopy();
    p_.WriteLog("Error: Unable to access source Document #" + Num(n));
    return false;
}

int32_t DocumentTransfer::EndTransfer() {
    auto& s = p_.session;
    auto passOver = [&](auto&& step) {
        try {
            step();
        } catch (const dm::DmError& e) {
            p_.ReportError(e);
        } catch (const std::system_error& e) {
            p_.ReportError(e.code().value(), "Dorvane", e.what());
        }
    };
    p_.Separator();
    passOver([&] {
        if (Cancelled()) {
            auto now = platform::ToLocal(p_.platform.clock.Now());
            std::string user = s.ConnectedLibrary ? s.ConnectedLibrary->UserId() : "";
            p_.ShowStatus("Job canceled by " + user + " at " + core::LongTime(now) + " on " + core::LongDate(now));
            p_.Separator();
        }
    });
    passOver([&] {
        if (s.PcdSql) s.PcdSql->ReleaseResults();
    });
    passOver([&] {
        if (s.CurrentProfile) s.CurrentProfile->Close();
    });
    s.CurrentProfile.reset();
    s.CurrentFolder.reset();
    s.CurrentVersion.reset();
    s.CurrentParentFolders.reset();

    if (v_.TransferResult == 0 && !v_.PastPointOfNoReturn) passOver([&] { RollBackTransfer(); });
    // The clean-up below reports its own failures; the result stands.
    const int32_t result = v_.TransferResult;
    if (v_.LookupsEnabled) {
        passOver([&] {
            if (Connect(v_.TargetLibrary)) RedisableLookupEntries();
        });
    }
    bool restored = false;
    if (v_.SourceRemoved) {
        restored = true;
    } else {
        passOver([&] { restored = RestoreSourceState(); });
    }
    passOver([&] { RemoveTempFiles(); });
    // The mark goes last: until then a retry finds the copy and finishes
    // what is left of its transfer.
    if (result != 0 && restored && v_.ArrivalMarkId != 0 && !work_->Failed()) {
        passOver([&] {
            if (Connect(v_.TargetLibrary)) DropArrivalMark(p_, v_.ArrivalMarkId);
        });
    }
    v_.TransferResult = restored ? result : 0;

    if (v_.TransferResult == -1 && v_.TargetDocNumber > 0) v_.TransferResult = v_.TargetDocNumber;
    p_.Separator();
    passOver([&] {
        if (!v_.SavedLibraryName.empty() && !p_.ConnectLibrary(v_.SavedLibraryName)) {
            p_.WriteLog("Error: unable to connect to library " + v_.SavedLibraryName);
        }
    });
    if (auto* label = p_.StatusLabel()) label->SetCaption(v_.SavedStatusText);
    return v_.TransferResult;
}

// Removes what this call created in the target and gives parked copies their
// names back. An earlier copy is never touched here: it is given up only
// after the point of no return.
void DocumentTransfer::RollBackTransfer() {
    const bool unknownCopy = v_.ProfileSaveTried && v_.AssignedNumber == 0;
    std::vector<int32_t> created;
    if (v_.AssignedNumber > 0) created.push_back(v_.AssignedNumber);
    if (v_.RenumberedTo > 0 && v_.RenumberedTo != v_.AssignedNumber) created.push_back(v_.RenumberedTo);
    bool allRemoved = true;
    if (!created.empty()) {
        p_.WriteLog("Error: Document transfer unsuccessful - rolling back");
        p_.Separator();
        for (int32_t number : created) {
            if (!removal_.RemoveUnfinishedCopy(v_.TargetLibrary, number)) {
                p_.WriteLog("Error: Document #" + Num(number) + " was NOT removed from library " + v_.TargetLibrary);
                p_.Separator();
                allRemoved = false;
            }
        }
        v_.AssignedNumber = 0;
        v_.RenumberedTo = 0;
    }
    // A copy that could not be removed, or whose number is unknown, keeps
    // its mark: the next transfer of the document removes it.
    if (v_.ArrivalMarkId != 0 && allRemoved && !unknownCopy && Connect(v_.TargetLibrary)) {
        DropArrivalMark(p_, v_.ArrivalMarkId);
        v_.ArrivalMarkId = 0;
    }
    if (!v_.ParkedNames.empty() && Connect(v_.TargetLibrary)) {
        for (const auto& [number, name] : v_.ParkedNames) {
            p_.RunSQL("UPDATE [OWNER].PROFILE SET DOCNAME = '" + core::DoubleApostrophes(name) +
                      "' WHERE DOCNUMBER = " + Num(number));
            p_.session.PcdSql->ReleaseResults();
        }
        v_.ParkedNames.clear();
    }
}

// Puts back what this call changed in the source: the check-out rows its own
// check-outs wrote go, the status comes back unless the source was marked on
// purpose, and check-out rows moved aside return to the document. Each part
// is tried whatever the others met; one that fails is logged and counted, and
// the next run puts back what is left (PutBackCheckOuts).
bool DocumentTransfer::RestoreSourceState() {
    if (!v_.SourceStatusChanged && !v_.CheckOutRowsMovedAside && !v_.CheckOutsWritten) return true;
    const std::string n = Num(v_.DocNumber);
    auto part = [&](auto&& step) { core::GoOn(p_, "RestoreSourceState", step); };
    bool connected = false;
    part([&] { connected = Connect(v_.SourceLibrary); });
    if (!connected) {
        p_.WriteLog("Error: The state of document #" + n + " in library " + v_.SourceLibrary +
                    " could not be put back - the next run puts it back");
        p_.Separator();
        return false;
    }
    if (v_.CheckOutsWritten) {
        part([&] {
            if (Write("DELETE FROM [OWNER].CHECKOUT WHERE DOCNUMBER = " + n)) v_.CheckOutsWritten = false;
        });
    }
    if (v_.SourceStatusChanged && !v_.SourceMarked) {
        part([&] {
            const int32_t current = Scalar("SELECT STATUS FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n).ToLong();
            if (current != v_.SourceStatus) {
                p_.WriteLog("Restoring status " + Num(v_.SourceStatus) + " of document #" + n + " in library " +
                            v_.SourceLibrary);
                p_.Separator();
                if (!Write("UPDATE [OWNER].PROFILE SET STATUS = " + Num(v_.SourceStatus) + " WHERE DOCNUMBER = " + n)) {
                    return;
                }
            }
            v_.SourceStatusChanged = false;
        });
    } else {
        v_.SourceStatusChanged = false;
    }
    if (v_.CheckOutRowsMovedAside) {
        part([&] {
            if (Write("UPDATE [OWNER].CHECKOUT SET DOCNUMBER = DOCNUMBER * -1 WHERE DOCNUMBER = " + Num(-v_.DocNumber))) {
                v_.CheckOutRowsMovedAside = false;
            }
        });
    }
    if (v_.CheckOutsWritten || v_.SourceStatusChanged || v_.CheckOutRowsMovedAside) {
        p_.WriteLog("Error: The state of document #" + n + " in library " + v_.SourceLibrary +
                    " could not be put back in full - the next run puts it back");
        p_.Separator();
        return false;
    }
    if (v_.TransferResult == 0) p_.WriteLog("Rollback of Profile status complete");
    return true;
}

// ---- Shared helpers ------------------------------------------------------------

bool DocumentTransfer::Connect(const std::string& library) {
    if (p_.ConnectLibrary(library)) return true;
    p_.WriteLog("Error: Unable to connect to library " + library);
    p_.Separator();
    v_.TransferResult = 0;
    return false;
}

bool DocumentTransfer::Cancelled() const { return p_.run.CancelRequestedFlag; }

bool DocumentTransfer::IsCopyOfSource(int32_t targetDoc) {
    // The receiving side's entries of a copy, transfer or move of document N
    // of the source library.
    return Scalar("SELECT COUNT(*) FROM [OWNER].ACTIVITYLOG A LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL "
                  "ON RL.SYSTEM_ID = A.REF_LIBRARY WHERE A.DOCNUMBER = " +
                  Num(targetDoc) + " AND A.ACTIVITY_TYPE IN (0, 24) AND A.REF_DOCUMENT = " + Num(v_.DocNumber) +
                  " AND RL.LIBRARY_NAME = '" + core::DoubleApostrophes(v_.SourceLibrary) + "'")
               .ToLong() > 0;
}

bool DocumentTransfer::ProfileExists(int32_t docNumber) {
    return Scalar("SELECT COUNT(*) FROM [OWNER].PROFILE WHERE DOCNUMBER = " + Num(docNumber)).ToLong() > 0;
}

void DocumentTransfer::Read(const std::string& statement) {
    p_.RunRead(statement, "the transfer of document #" + Num(v_.DocNumber));
}

dm::Variant DocumentTransfer::Scalar(const std::string& statement) {
    Read(statement);
    auto& sql = p_.session.PcdSql;
    dm::Variant value = sql->ColumnValue(1);
    sql->ReleaseResults();
    return value;
}

std::optional<int32_t> DocumentTransfer::Write(const std::string& statement) {
    const bool accepted = p_.RunSQLAccepted(statement);
    auto& sql = p_.session.PcdSql;
    if (!sql) return std::nullopt;
    const int32_t changed = sql->RowsAffected();
    sql->ReleaseResults();
    if (!accepted) return std::nullopt;
    return changed;
}

bool DocumentTransfer::WriteOrFail(const std::string& statement, const std::string& what) {
    if (Write(statement)) return true;
    Refused(what);
    return false;
}

void DocumentTransfer::Refused(const std::string& what) {
    Fail("Error: Library " + p_.ConnectedLibraryName() + " refused " + what + " - document #" + Num(v_.DocNumber) +
         " will be tried again");
}

bool DocumentTransfer::RemoveForced(const std::string& library, int32_t docNumber, const std::string& refLibrary,
                                    bool unfinishedCopy) {
    core::HeldCheck forced(p_, p_.MainWindow.CheckOverwriteReadOnly, 1);
    return unfinishedCopy ? removal_.RemoveUnfinishedCopy(library, docNumber)
                          : removal_.RemoveDocument(library, docNumber, refLibrary);
}

std::string DocumentTransfer::NowText() const {
    auto t = platform::ToLocal(p_.platform.clock.Now());
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

void DocumentTransfer::Fail(const std::string& text) {
    p_.WriteLog(text);
    p_.Separator();
    v_.TransferResult = 0;
}

}  // namespace transfer
