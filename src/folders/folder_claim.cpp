// The claim to make a folder, so that computers that ask for one folder at
// the same moment make it once. The mark goes in first, its ticket is drawn
// only once the mark can be seen, and the marks of the same folder are read
// after that: of two claims, the later reader sees the other's mark, and a
// mark whose ticket is still to come is waited for, since it may come out
// lower. The lowest ticket makes the folder; a claim that meets a lower one,
// or a folder already numbered, takes its mark back and waits for that
// creation to end, then looks again.

#include <algorithm>
#include <chrono>
#include <string>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_marks.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(250);

// How long a computer waits for another's creation of a folder before it
// takes that computer for dead: far longer than any save of the DM, and
// short against the stale-lock age, so that the waiting computer's own
// queue locks stay young meanwhile.
std::chrono::seconds WaitingLimit(core::Program& p) {
    const auto quarter = std::chrono::seconds(std::max<int32_t>(1, p.run.StaleLockMinutes) * 60 / 4);
    return std::min<std::chrono::seconds>(std::chrono::minutes(2), quarter);
}

std::string Ids(const std::vector<int32_t>& ids) {
    std::string text;
    for (int32_t id : ids) text += (text.empty() ? "" : ", ") + std::to_string(id);
    return text;
}

}  // namespace

FolderCreation::Claim FolderCreation::ClaimFolder() {
    if (!WriteMark()) return Claim::Failed;
    auto& sql = core::Require(p_.session.PcdSql);
    const int32_t ticket = sql->GetNextKey("SYSTEMKEY");
    bool ticketed = false;
    if (ticket > 0) {
        ticketed = p_.RunSQLAccepted("UPDATE [OWNER].ACTIVITYLOG SET KEYSTROKES = " + std::to_string(ticket) +
                                     " WHERE SYSTEM_ID = " + std::to_string(markId_)) &&
                   sql->RowsAffected() == 1;
        sql->ReleaseResults();
    }
    if (!ticketed) {
        p_.WriteLog("Error: Unable to record the creation of folder " + Quoted(name_) + " in library " + library_ +
                    " - cannot continue");
        DropMark();
        return Claim::Failed;
    }
    ticket_ = ticket;

    const std::string owner = core::Upper(MarkOwner(p_));
    // Another computer's claim that is alive: its own run's marks and those
    // that name none are left by runs that ended.
    auto live = [&](const FolderMark& m) {
        const std::string writer = core::Upper(core::Trim(m.Writer()));
        return !writer.empty() && writer != owner && !m.Stale && waitedOut_.count(m.SystemId) == 0;
    };
    const auto start = p_.platform.clock.Now();
    for (;;) {
        const std::vector<FolderMark> marks = ReadFolderMarks(
            p_,
            " AND A.KEYSTROKES <> 0 AND A.PAGES = " + std::to_string(parent_) + " AND A.SYSTEM_ID <> " +
                std::to_string(markId_) +
                " AND (A.DOCNUMBER = 0 OR A.DOCNUMBER IN (SELECT P.DOCNUMBER FROM [OWNER].PROFILE P WHERE " +
                NamedAs(name_) + "))",
            "the folder " + Quoted(name_));
        waitFor_.clear();
        std::vector<int32_t> pending;
        std::string maker;
        for (const FolderMark& m : marks) {
            if (!live(m)) continue;
            if (m.DocNumber == 0 && m.Ticket == kTicketPending) {
                pending.push_back(m.SystemId);
            } else if (m.DocNumber != 0 || m.Ticket < ticket_) {
                waitFor_.push_back(m.SystemId);
                if (maker.empty()) maker = core::Trim(m.Writer());
            }
        }
        if (!waitFor_.empty()) {
            DropMark();
            p_.WriteLog("Folder " + Quoted(name_) + " is being created in library " + library_ + " by computer " +
                        maker + " - waiting for it");
            p_.Separator();
            return Claim::Wait;
        }
        if (pending.empty()) return Claim::Make;
        // A claim whose ticket does not come within the limit is a dead run's.
        if (p_.platform.clock.Now() - start >= WaitingLimit(p_)) {
            waitedOut_.insert(pending.begin(), pending.end());
            continue;
        }
        p_.platform.clock.Sleep(kPollStep);
        p_.MonitorHeartbeat();
    }
}

void FolderCreation::WaitForOthers() {
    const auto start = p_.platform.clock.Now();
    const auto limit = WaitingLimit(p_);
    const std::string owner = core::Upper(MarkOwner(p_));
    for (;;) {
        // The document in hand is finished first: a cancel ends the run after
        // it, so the waiting goes on.
        p_.platform.clock.Sleep(kPollStep);
        p_.MonitorHeartbeat();
        // A creation has ended when its mark is gone or left to anyone; one
        // that went stale meanwhile is taken over at once.
        std::vector<FolderMark> running;
        for (const FolderMark& m :
             ReadFolderMarks(p_, " AND A.SYSTEM_ID IN (" + Ids(waitFor_) + ")", "the folder " + Quoted(name_))) {
            const std::string writer = core::Upper(core::Trim(m.Writer()));
            if (!writer.empty() && writer != owner && !m.Stale) running.push_back(m);
        }
        if (running.empty()) {
            waitFor_.clear();
            return;
        }
        if (p_.platform.clock.Now() - start >= limit) {
            for (const FolderMark& m : running) {
                waitedOut_.insert(m.SystemId);
                p_.WriteLog("Warning: Computer " + core::Trim(m.Writer()) + " has not finished the folder " +
                            Quoted(name_) + " in library " + library_ + " within " +
                            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(limit).count()) +
                            " second(s) - taking its creation over");
            }
            p_.Separator();
            waitFor_.clear();
            return;
        }
    }
}

bool FolderCreation::MarkStillOwn() {
    auto& sql = core::Require(p_.session.PcdSql);
    p_.RunRead("SELECT ACTIVITY_DESC FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + std::to_string(markId_),
               "the folder " + Quoted(name_));
    const bool own = sql->RowCount() > 0 && sql->ColumnValue(1).ToText() == MarkText();
    sql->ReleaseResults();
    return own;
}

bool FolderCreation::RemoveUnclaimedFolder(int32_t folder) {
    auto library = core::Require(p_.session.ConnectedLibrary);
    const std::string n = std::to_string(folder);
    // Only a folder nobody can have used: filed nowhere, holding nothing.
    if (Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM WHERE PARENT = " + n + " OR DOCNUMBER = " + n) != 0) {
        return false;
    }
    p_.WriteLog("Removing folder #" + n + " from library " + library_);
    auto profile = core::Require(library->GetProfile(folder));
    const bool deleted = profile->Delete(static_cast<int16_t>(p_.run.DmSaveFlags)).IsBooleanTrue();
    p_.Separator();
    if (!deleted || Count(p_, "SELECT COUNT(*) FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n) != 0) {
        if (int32_t error = profile->ErrorNumber(); error != 0) {
            p_.WriteLog("Error: (" + std::to_string(error) + ") - " + profile->ErrorDescription());
        }
        return false;
    }
    core::PassOver([&] { profile->Close(); });
    // What the DM wrote of the folder goes with it.
    RunAndRelease(p_, "DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + n);
    return true;
}

}  // namespace folders
