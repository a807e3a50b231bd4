// What each mode leaves of the source, the Move and its refusals, and the
// move of the new document to the number it is to keep.

#include <functional>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class ReplacementTest : public TransferTest {
protected:
    // The activity entries of a document as "type:description".
    std::vector<std::string> Entries(const std::string& library, int32_t doc) {
        auto rows = Db(library).Query("SELECT ACTIVITY_TYPE, ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " +
                                      to_string(doc) + " AND ACTIVITY_TYPE IN (0, 24, 25) ORDER BY SYSTEM_ID");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]) + ":" + dmsim::AsText(r[1]));
        return out;
    }
    int64_t FolderItems(const std::string& library, int32_t doc) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + to_string(doc));
    }
};

TEST_F(ReplacementTest, WhatEachModeLeavesOfTheSource) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Contracts", 0, true);
    struct Case {
        const char* name;
        forms::OptionButton& mode;
        bool sourceStays;
        int64_t sourceFolders;
        std::string sourceStatus;
        std::vector<std::string> sourceEntries;
        std::string targetEntry;
    };
    auto& w = Window();
    const Case cases[] = {
        {"copy", w.OptionCopy, true, 1, "0", {"0:Copied to #"}, "0:Copied from #"},
        {"transfer", w.OptionTransfer, true, 0, "4", {"25:Transferred to ARCHIVE"}, "24:Transferred from DOCS"},
        {"move", w.OptionMove, false, 0, "", {}, "24:Moved from DOCS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.mode.Select();
        const int32_t source = MakeDocument(c.name, {folder});
        const auto files = FilePaths("DOCS", source);
        ClearLog();
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(Exists("DOCS", source), c.sourceStays);
        EXPECT_EQ(FolderItems("DOCS", source), c.sourceFolders);
        EXPECT_EQ(Column("DOCS", source, "STATUS"), c.sourceStatus);
        EXPECT_EQ(std::filesystem::exists(files[0]), c.sourceStays);
        auto startsWith = [](const std::string& text, const std::string& start) {
            return text.compare(0, start.size(), start) == 0;
        };
        const auto entries = Entries("DOCS", source);
        ASSERT_EQ(entries.size(), c.sourceEntries.size());
        for (size_t i = 0; i < entries.size(); ++i) EXPECT_TRUE(startsWith(entries[i], c.sourceEntries[i])) << entries[i];
        const auto target = Entries("ARCHIVE", copy);
        ASSERT_EQ(target.size(), 1u);
        EXPECT_TRUE(startsWith(target[0], c.targetEntry)) << target[0];
        EXPECT_EQ(FileContents("ARCHIVE", copy).front(), "first draft");
        if (!c.sourceStays) {
            // The source goes last, after every closing fix-up of its copy.
            const auto lines = PlainLogLines();
            auto at = [&](const std::string& part) {
                for (size_t i = 0; i < lines.size(); ++i) {
                    if (lines[i].find(part) != std::string::npos) return i;
                }
                return lines.size();
            };
            EXPECT_LT(at("Processing date values"), at("Removing Document #" + to_string(source)));
            EXPECT_LT(at("Clearing ActivityLog for document #"), at("Removing Document #" + to_string(source)));
        }
    }
}

// A Move gives up the source only when every version of it reached the
// target; otherwise the new document goes and the source stays whole.
TEST_F(ReplacementTest, AMoveIsRefusedUnlessEveryVersionArrived) {
    StartProgram();
    Window().OptionMove.Select();
    struct Case {
        const char* name;
        std::function<void(int32_t)> damage;
    };
    const Case cases[] = {
        {"empty file", [&](int32_t doc) { std::ofstream(FilePaths("DOCS", doc)[1], std::ios::trunc); }},
        {"refused version",
         [&](int32_t) {
             Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").OnCall(2).Refuse(-1, "refused");
         }},
        {"print file",
         [&](int32_t doc) {
             Sql("DOCS", "UPDATE DOCSADM.COMPONENTS SET PATH = REPLACE(PATH, '.PDF', '.PRN') WHERE DOCNUMBER = " +
                             to_string(doc));
         }},
        {"paper document", [&](int32_t doc) {
             Sql("DOCS", "UPDATE DOCSADM.PROFILE SET STORAGETYPE = 'P' WHERE DOCNUMBER = " + to_string(doc));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Faults().Clear();
        const int32_t source = MakeDocument(c.name);
        const int32_t related = MakeDocument(std::string("Related to ") + c.name);
        docs_->Relate(related, source);
        c.damage(source);
        const auto labels = Labels("DOCS", source);
        const int64_t archived = Documents("ARCHIVE");
        ClearLog();
        EXPECT_EQ(Transfer(source), 0);
        EXPECT_TRUE(LogHas("Error: Document #" + to_string(source) + " will NOT be moved")) << LogText();
        EXPECT_TRUE(Exists("DOCS", source));
        EXPECT_EQ(Labels("DOCS", source), labels);
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ITEM2 = " + to_string(source)), 1);
        EXPECT_EQ(Documents("ARCHIVE"), archived);
    }
}

// A Move needs the right to remove its source before it builds anything.
TEST_F(ReplacementTest, AMoveWithoutTheRightToRemoveItsSourceBuildsNothing) {
    site_.Library("DOCS").Right("User.DocDelete", false);
    StartProgram();
    Window().OptionMove.Select();
    const int32_t source = MakeDocument();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: DMADMIN does not have permission to delete documents in library DOCS - document #" +
                       to_string(source) + " will NOT be moved"));
    EXPECT_TRUE(Exists("DOCS", source));
    EXPECT_EQ(Column("DOCS", source, "STATUS"), "0");
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

// A source that cannot be removed is no finished Move: the document fails
// and says why; the copy, already complete and recorded, stays, and the
// retries only retry the removal: three runs, one copy.
TEST_F(ReplacementTest, AFailedSourceRemovalIsRetriedWithoutASecondCopy) {
    StartProgram();
    Window().OptionMove.Select();
    const int32_t source = MakeDocument();
    Faults()
        .On(dmsim::op::kSqlExecute)
        .ForLibrary("DOCS")
        .ForStatement("DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER")
        .Times(2)
        .FailStatement(547, "The DELETE statement conflicted with a REFERENCE constraint.");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Document #" + to_string(source) + " was NOT removed from library DOCS"));
    EXPECT_TRUE(Exists("DOCS", source));
    const int32_t copy = CopyOf(source);
    ASSERT_GT(copy, 0);
    EXPECT_EQ(Documents("ARCHIVE"), 1);

    ClearLog();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("was moved to document #" + to_string(copy) + " in library ARCHIVE already - only its removal"));
    EXPECT_EQ(Documents("ARCHIVE"), 1);

    EXPECT_EQ(Transfer(source), copy);
    EXPECT_FALSE(Exists("DOCS", source));
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "1A", "2", "A"}));
}

// A removal that answers done while the source's profile is still there:
// the Move checks the row itself and does not take the answer for it.
TEST_F(ReplacementTest, ASourceRemovalReportedDoneWhileTheProfileStaysIsNoSuccess) {
    StartProgram();
    Window().OptionMove.Select();
    const int32_t source = MakeDocument();
    // The removal's own count (read for the log, then for the answer) says
    // the row is gone.
    Faults()
        .On(dmsim::op::kSqlColumnValue)
        .ForLibrary("DOCS")
        .ForStatement("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(source))
        .Times(2)
        .Answer(std::string("0"));
    Faults()
        .On(dmsim::op::kSqlExecute)
        .ForLibrary("DOCS")
        .ForStatement("DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(source))
        .FailStatus(0, 0, "");
    EXPECT_EQ(Transfer(source), 0) << LogText();
    EXPECT_TRUE(LogHas("Error: Document #" + to_string(source) + " was NOT removed from library DOCS - the move"));
    EXPECT_FALSE(LogHas("Error: Document #" + to_string(source) + " NOT removed from library DOCS"));
    EXPECT_TRUE(Exists("DOCS", source));
    EXPECT_EQ(Documents("ARCHIVE"), 1);
}

// A move to the kept number that is refused leaves the document whole under
// the number the DM gave it, and everything names that number.
// A new copy without all its versions replaces no earlier copy that still
// stands: the earlier one stays as the document's copy. One that went
// meanwhile (removed by hand while the new copy was built) keeps nothing
// from standing: the new copy stays, recorded under the earlier number, to
// be tried again.
TEST_F(ReplacementTest, AnIncompleteCopyYieldsOnlyToAnEarlierCopyThatStillExists) {
    StartProgram();
    for (const bool earlierGone : {false, true}) {
        SCOPED_TRACE(earlierGone ? "earlier copy gone" : "earlier copy there");
        Faults().Clear();
        const int32_t source = MakeDocument(earlierGone ? "Gone" : "There");
        const int32_t earlier = Transfer(source);
        ASSERT_GT(earlier, 0) << LogText();
        const auto labels = Labels("ARCHIVE", earlier);
        if (earlierGone) {
            // Gone once the new copy has its first version.
            Sql("ARCHIVE", "CREATE TRIGGER DOCSADM.EARLIER_GONE AFTER INSERT ON VERSIONS WHEN NEW.DOCNUMBER <> " +
                               to_string(earlier) + " BEGIN DELETE FROM PROFILE WHERE DOCNUMBER = " +
                               to_string(earlier) + "; END");
        }
        Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").OnCall(2).Refuse(-1, "refused");
        const int64_t documents = Documents("ARCHIVE");
        ClearLog();
        EXPECT_EQ(Transfer(source), 0);
        EXPECT_EQ(LogHas("document #" + to_string(earlier) + " in library ARCHIVE stays as its copy"), !earlierGone)
            << LogText();
        EXPECT_EQ(LogHas("Error: Document #" + to_string(source) + " was copied to document #" + to_string(earlier) +
                         " in library ARCHIVE without 1 of its version(s) - it will be tried again"),
                  earlierGone)
            << LogText();
        EXPECT_EQ(CopyOf(source), earlier);
        EXPECT_EQ(Labels("ARCHIVE", earlier).size(), labels.size() - (earlierGone ? 1 : 0));
        EXPECT_EQ(Documents("ARCHIVE"), documents);
        if (earlierGone) Sql("ARCHIVE", "DROP TRIGGER DOCSADM.EARLIER_GONE");
    }
}

TEST_F(ReplacementTest, ARefusedRenumberingKeepsTheAssignedNumber) {
    site_.Library("ARCHIVE").Right("User.DocDelete", false);
    StartProgram();
    Window().CheckRetainNumber.SetValue(1);
    const int32_t source = MakeDocument();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_NE(copy, source);
    EXPECT_FALSE(Exists("ARCHIVE", source));
    EXPECT_EQ(Labels("ARCHIVE", copy), Labels("DOCS", source));
    EXPECT_EQ(Entries("DOCS", source), std::vector<std::string>{"0:Copied to #" + to_string(copy)});
}

// A renumbering in which one statement fails moves nothing: the document
// stays whole under its number, no row is left under the other, and the
// document fails rather than keep the wrong number for good; the next try
// gives the copy its number.
TEST_F(ReplacementTest, APartlyFailedRenumberingLeavesNoOrphans) {
    StartProgram();
    Window().CheckRetainNumber.SetValue(1);
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kSqlExecute).ForStatement("UPDATE DOCSADM.VERSIONS SET DOCNUMBER").Times(1).FailStatement(
        547, "[dmsim][SQLite]constraint failed");
    EXPECT_EQ(Transfer(source), 0) << LogText();
    EXPECT_TRUE(LogHas("could not be moved to #" + to_string(source)));
    EXPECT_FALSE(Exists("ARCHIVE", source));
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(DISTINCT DOCNUMBER) FROM DOCSADM.VERSIONS"), 1);
    Faults().Clear();
    EXPECT_EQ(Transfer(source), source) << LogText();
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_EQ(Labels("ARCHIVE", source), Labels("DOCS", source));
    EXPECT_EQ(FileContents("ARCHIVE", source), FileContents("DOCS", source));
}

// A renumbering that leaves a profile under both numbers cannot be told
// done: the rollback removes what stands under either, the wanted number
// included, and leaves no orphan copy.
TEST_F(ReplacementTest, ARenumberingThatCannotBeConfirmedIsRolledBackUnderBothNumbers) {
    StartProgram();
    Window().CheckRetainNumber.SetValue(1);
    const int32_t source = MakeDocument();
    // The profile shows up under the number it left as well.
    Sql("ARCHIVE", "CREATE TRIGGER DOCSADM.LEFT_BEHIND AFTER UPDATE OF DOCNUMBER ON PROFILE WHEN NEW.DOCNUMBER = " +
                       to_string(source) +
                       " BEGIN INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, APPLICATION, STATUS) VALUES "
                       "(OLD.SYSTEM_ID + 900000, OLD.DOCNUMBER, OLD.DOCNAME, OLD.APPLICATION, 0); END");
    EXPECT_EQ(Transfer(source), 0) << LogText();
    EXPECT_TRUE(LogHas("could not be moved to #" + to_string(source) + " in library ARCHIVE - cannot continue"));
    EXPECT_FALSE(Exists("ARCHIVE", source));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.VERSIONS"), 0);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.COMPONENTS"), 0);
    EXPECT_TRUE(Exists("DOCS", source));
}

}  // namespace
}  // namespace transfer_test
