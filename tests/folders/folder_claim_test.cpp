// Two computers asking for one folder at the same moment: the one whose
// claim holds the lowest ticket makes it, the other waits until it stands
// and uses it. The other computer is played by marks written straight into
// the target, and by what the test does while this call waits (at a pump of
// the event loop); this call runs as computer PC2.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/program.h"
#include "folders_fixture.h"

namespace {

using folders_test::FoldersTest;
namespace op = dmsim::op;

constexpr int32_t kPending = -1;

class FolderClaimTest : public FoldersTest {
protected:
    std::string N(int64_t n) { return std::to_string(n); }

    void SetUp() override {
        StartProgram();
        parent_ = archive_->CreateFolder("Clients", 0, true);
        site_.AddApplication("ARCHIVE", "MS WORD", "Word", "DOC");
        program_->run.LockOwnerName = "PC2";
    }

    // A new source folder and the name of its copy, fresh for each case.
    int32_t Source(std::string& name) {
        name = "Acme " + N(++made_);
        const int32_t source = docs_->CreateFolder(name);
        docs_->SetTrustees(source, {dmsim::Group("DOCS_SUPERVISORS", 63)});
        return source;
    }

    int32_t Under(bool underParent) const { return underParent ? parent_ : 0; }

    // A ticket as a claim draws it: from the library's key counter.
    int32_t Ticket() { return Db("ARCHIVE").NextSystemKey(); }

    // Another computer's mark of a folder's creation, as its claim writes it.
    int32_t RivalMark(const std::string& writer, int32_t source, int32_t under, int32_t ticket, int32_t folder = 0) {
        auto& db = Db("ARCHIVE");
        const int32_t id = db.NextSystemKey();
        db.Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC, ACTIVITY_TYPE, REF_DOCUMENT, "
                "REF_LIBRARY, PAGES, KEYSTROKES, START_DATE) VALUES (" + N(id) + ", " + N(folder) +
                ", 'Folder from #" + N(source) + (writer.empty() ? "" : " by " + writer) + "', 0, " + N(-source) +
                ", 0, " + N(under) + ", " + N(ticket) + ", '" + db.NowText() + "')");
        return id;
    }

    void SetMark(int32_t id, const std::string& assignments) {
        Db("ARCHIVE").Exec("UPDATE DOCSADM.ACTIVITYLOG SET " + assignments + " WHERE SYSTEM_ID = " + N(id));
    }

    void DropRivalMark(int32_t id) { Db("ARCHIVE").Exec("DELETE FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = " + N(id)); }

    // Runs the action at the first pump of the event loop at which the
    // condition holds, during the current case.
    void When(std::function<bool()> condition, std::function<void()> action) {
        ui_.Post([this, condition, action, round = round_] {
            if (round != round_) return;
            if (condition()) {
                action();
            } else {
                When(condition, action);
            }
        });
    }

    // Ends a case: what it still waited for never happens.
    void NextCase() {
        ++round_;
        ClearLog();
    }

    bool Logged(const std::string& part) { return CountLines(part) > 0; }

    // This call's claim stands with its ticket, before the DM makes anything.
    bool OwnClaimTicketed() {
        return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_DESC LIKE '% by PC2' AND "
                                "KEYSTROKES > 0 AND DOCNUMBER = 0") > 0;
    }

    int32_t OwnClaim() {
        return static_cast<int32_t>(
            Count("ARCHIVE", "SELECT MAX(SYSTEM_ID) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_DESC LIKE '% by PC2'"));
    }

    // A document another computer files into the folder while the race
    // settles.
    int32_t FileMemo(int32_t folder) {
        dmsim::DocumentSpec spec;
        spec.name = "Memo " + N(++made_);
        const int32_t memo = archive_->Create(spec);
        archive_->File(memo, folder);
        return memo;
    }

    int64_t Named(const std::string& name) {
        return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE P JOIN DOCSADM.FOLDER F ON F.DOCNUMBER = "
                                "P.DOCNUMBER WHERE P.DOCNAME = '" + name + "'");
    }

    int64_t Marks() { return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT <= 0 AND "
                                              "ACTIVITY_DESC LIKE 'Folder from #%'"); }

    bool FiledIn(int32_t item, int32_t folder) {
        return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + N(item) +
                                    " AND PARENT = " + N(folder)) == 1;
    }

    // One folder of the name, filed where it belongs, with nothing left of
    // any other and (unless told) no mark.
    void ExpectOneFolder(bool underParent, const std::string& name, int32_t folder, bool marksGone = true) {
        EXPECT_EQ(Named(name), 1) << LogText();
        EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DOCNAME"), name);
        if (underParent) {
            EXPECT_TRUE(FiledIn(folder, parent_));
        }
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM T WHERE NOT EXISTS (SELECT 1 FROM "
                                   "DOCSADM.PROFILE P WHERE P.DOCNUMBER = T.DOCNUMBER OR P.DOCNUMBER = T.PARENT)"),
                  0);
        if (marksGone) {
            EXPECT_EQ(Marks(), 0) << LogText();
        }
        ExpectCleanExit();
    }

    int32_t parent_ = 0;
    int made_ = 0;
    int round_ = 0;
};

// Whose claim goes first is the ticket's matter: a lower one, or one that
// has its folder numbered already, makes it, and this call waits and uses
// that folder; a claim whose ticket is still to come is waited for, since
// its ticket may come out lower. Meanwhile another computer files a
// document into the folder: it stays there.
TEST_F(FolderClaimTest, ClaimsAreSettledByTheirTickets) {
    struct Case {
        const char* name;
        bool underParent;
        bool pending;      // the rival's ticket comes only after this call's
        bool rivalLower;   // the rival's ticket is the lower one
        bool numbered;     // the rival's folder stands numbered, not yet filed
        bool otherName;    // the rival's folder has another name
    };
    const Case cases[] = {
        {"a lower ticket, under a parent", true, false, true, false, false},
        {"a lower ticket, at the root", false, false, true, false, false},
        {"a lower ticket that comes after this call's", true, true, true, false, false},
        {"a higher ticket that comes after this call's", true, true, false, false, false},
        {"a folder numbered already", true, false, false, true, false},
        {"a folder of another name numbered already", true, false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name;
        const int32_t source = Source(name);
        const int32_t lower = Ticket();
        int32_t half = 0;
        if (c.numbered) half = archive_->CreateFolder(c.otherName ? "Other " + name : name);
        const int32_t rival = RivalMark("PC1", source, Under(c.underParent), c.pending ? kPending : c.rivalLower ? lower
                                                                                                      : Ticket(),
                                        half);
        if (c.pending) {
            When([&] { return OwnClaimTicketed(); },
                 [&, c] { SetMark(rival, "KEYSTROKES = " + N(c.rivalLower ? lower : Ticket())); });
        }
        int32_t rivals = 0;
        int32_t memo = 0;
        When([&] { return Logged("is being created in library ARCHIVE by computer PC1 - waiting for it"); },
             [&, c] {
                 rivals = half != 0 ? half : archive_->CreateFolder(name, Under(c.underParent), false);
                 if (half != 0 && c.underParent) archive_->File(half, parent_);
                 memo = FileMemo(rivals);
                 DropRivalMark(rival);
             });

        const int32_t folder = folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS");

        ASSERT_NE(folder, 0) << LogText();
        if ((c.rivalLower || c.numbered) && !c.otherName) {
            EXPECT_EQ(folder, rivals) << LogText();
            EXPECT_TRUE(FiledIn(memo, folder));
            // This call never began a folder of its own.
            EXPECT_EQ(CountLines("Creating folder object"), 0u) << LogText();
            ExpectOneFolder(c.underParent, name, folder);
        } else {
            EXPECT_EQ(CountLines("waiting for it"), 0u) << LogText();
            EXPECT_EQ(Named(name), 1);
            DropRivalMark(rival);
            EXPECT_EQ(Marks(), 0);
        }
        NextCase();
    }
}

// A creation that the computer holding it does not finish within the
// waiting limit (it died meanwhile) is taken over as a dead run's is: its
// folder completed, or, when the DM made nothing, made anew. A creation
// another computer left at its end (a step refused), or that is older than
// the stale-lock age, or whose mark names no run, is taken up at once. The
// computer that comes back to it finds the folder.
TEST_F(FolderClaimTest, ACreationLeftOrNotFinishedIsTakenOver) {
    struct Case {
        const char* name;
        bool underParent;
        const char* writer;
        void (*arm)(dmsim::FaultInjector&);
        bool killed;   // the writer's mark stays as it was, signed
        bool aged;     // the mark is older than the stale-lock age
        bool waits;    // this call waits the limit out first
        bool folderStays;  // the writer's folder is the one used
    };
    auto killedAtFolderSave = [](dmsim::FaultInjector& f) {
        f.On(op::kFolderSave).Raise(-2147217900, "DOCSObjects", "Killed");
    };
    auto killedAtProfileSave = [](dmsim::FaultInjector& f) {
        f.On(op::kProfileSave).Raise(-2147217900, "DOCSObjects", "Killed");
    };
    auto refusedFolderSave = [](dmsim::FaultInjector& f) {
        f.On(op::kFolderSave).Answer(false, 5, "Folder refused");
    };
    const Case cases[] = {
        {"killed after the DM made its folder", true, "PC1", killedAtFolderSave, true, false, true, true},
        {"killed after the DM made its root folder", false, "PC1", killedAtFolderSave, true, false, false, true},
        {"killed before the DM made anything", true, "PC1", killedAtProfileSave, true, false, true, false},
        {"left by a run that failed", true, "PC1", refusedFolderSave, false, false, false, true},
        {"killed long ago", true, "PC1", killedAtFolderSave, true, true, false, true},
        {"written by a run without a name", true, "", killedAtFolderSave, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name;
        const int32_t source = Source(name);
        program_->run.LockOwnerName = c.writer;
        c.arm(Faults());
        // A killed run signs nothing over.
        if (c.killed) {
            Faults().On(op::kSqlExecute).ForStatement("UPDATE DOCSADM.ACTIVITYLOG SET ACTIVITY_DESC")
                .FailStatement(1205, "Killed");
        }
        EXPECT_EQ(folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS"), 0);
        Faults().Clear();
        const int32_t unfinished = static_cast<int32_t>(
            Count("ARCHIVE", "SELECT MAX(DOCNUMBER) FROM DOCSADM.PROFILE WHERE DOCNAME = '" + name + "'"));
        if (c.aged) {
            Db("ARCHIVE").Exec("UPDATE DOCSADM.ACTIVITYLOG SET START_DATE = '2001-01-01 00:00:00' "
                               "WHERE REF_DOCUMENT < 0");
        }
        ASSERT_EQ(Marks(), 1);
        ClearLog();

        program_->run.LockOwnerName = "PC2";
        const auto start = clock_.Now();
        const int32_t folder = folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS");
        ASSERT_NE(folder, 0) << LogText();
        EXPECT_EQ(folder == unfinished, c.folderStays) << LogText();
        EXPECT_EQ(CountLines("Warning: Computer PC1 has not finished the folder \"" + name +
                             "\" in library ARCHIVE within 120 second(s) - taking its creation over"),
                  c.waits ? 1u : 0u)
            << LogText();
        EXPECT_EQ(clock_.Now() - start >= std::chrono::minutes(2), c.waits);
        // A root folder is found by its name before its creation is taken
        // up: its mark waits for the writer.
        ExpectOneFolder(c.underParent, name, folder, c.underParent);

        // The writer, back, finds the folder.
        program_->run.LockOwnerName = c.writer;
        EXPECT_EQ(folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS"), folder)
            << LogText();
        ExpectOneFolder(c.underParent, name, folder);
        NextCase();
    }
}

// The other computer, having taken this call's creation for dead while the
// DM saved its folder (a save that hung), either found that folder and
// completes it, or made the folder itself: then this call's folder, which
// nobody was given, goes, and the call waits for the other's; a root folder
// may have been found by then, so it stays beside the other.
TEST_F(FolderClaimTest, ACreationTakenOverWhileItsSaveHungEndsInOneFolder) {
    struct Case {
        const char* name;
        bool underParent;
        bool foundByTaker;
        int64_t folders;
    };
    const Case cases[] = {
        {"the taker completes this call's folder", true, true, 1},
        {"the taker makes its own, under a parent", true, false, 1},
        {"the taker makes its own, at the root", false, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name;
        const int32_t source = Source(name);
        int32_t takers = 0;
        // Once this call has looked again under its claim, before its save.
        When([&, c] {
                 return OwnClaimTicketed() &&
                        (!c.underParent || CountLines("Checking for existence of folder \"" + name) >= 2);
             },
             [&, c] {
                 const int32_t own = OwnClaim();
                 if (c.foundByTaker) {
                     // The number the DM gives next.
                     const int32_t next = static_cast<int32_t>(
                         Count("ARCHIVE", "SELECT MAX(LASTKEY) + 1 FROM DOCSADM.SEQ_PROFILE"));
                     SetMark(own, "ACTIVITY_DESC = 'Folder from #" + N(source) + " by PC3', DOCNUMBER = " + N(next));
                     return;
                 }
                 DropRivalMark(own);
                 takers = archive_->CreateFolder(name, Under(c.underParent), false);
             });

        const int32_t folder = folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS");

        ASSERT_NE(folder, 0) << LogText();
        if (c.foundByTaker) {
            EXPECT_EQ(CountLines("is completed by the computer that took its creation over"), 1u) << LogText();
            // The taker completes it.
            program_->run.LockOwnerName = "PC3";
            EXPECT_EQ(folders_->CreateFolder(name, Under(c.underParent), false, "ARCHIVE", source, "DOCS"), folder)
                << LogText();
            program_->run.LockOwnerName = "PC2";
        } else if (c.underParent) {
            EXPECT_EQ(folder, takers) << LogText();
        } else {
            EXPECT_NE(takers, 0);
        }
        EXPECT_EQ(Named(name), c.folders) << LogText();
        if (c.folders == 1) ExpectOneFolder(c.underParent, name, folder);
        EXPECT_EQ(Marks(), 0) << LogText();
        NextCase();
    }
}

// A claim that never gets its ticket (its computer died between its mark
// and its ticket) holds this call up only for the waiting limit.
TEST_F(FolderClaimTest, AClaimWithoutItsTicketIsWaitedForOnlyUpToTheLimit) {
    std::string name;
    const int32_t source = Source(name);
    const int32_t rival = RivalMark("PC1", source, parent_, kPending);
    const auto start = clock_.Now();

    const int32_t folder = folders_->CreateFolder(name, parent_, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_GE(clock_.Now() - start, std::chrono::minutes(2));
    EXPECT_EQ(Named(name), 1);
    EXPECT_TRUE(FiledIn(folder, parent_));
    // Its mark is its computer's to clear, or anyone's once it is stale.
    EXPECT_EQ(Marks(), 1);
    DropRivalMark(rival);
}

}  // namespace
