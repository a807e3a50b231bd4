// Two computers making one folder at the same moment: the lookup of this
// call misses the folder another computer makes meanwhile (a failed lookup
// stands in for "not there yet"), so the call makes a second one, sees the
// first once its own stands, files the second's items into the first and
// removes the second. Cut short anywhere, the next call for the folder
// finishes that.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/program.h"
#include "folders_fixture.h"

namespace {

using folders_test::FoldersTest;
namespace op = dmsim::op;

constexpr const char* kFolderLookup = "SELECT DOCNUMBER FROM DOCSADM.FOLDER_ITEM WHERE PARENT";
constexpr const char* kRootLookup = "SELECT F.DOCNUMBER FROM DOCSADM.FOLDER F";

// Where the folder stands: at the root (private or public) or under a parent.
struct Place {
    const char* name;
    bool underParent;
    bool isPublic;
};

const Place kPlaces[] = {{"PrivateRoot", false, false}, {"PublicRoot", false, true}, {"Subfolder", true, false}};

class SecondFolderTest : public FoldersTest {
protected:
    std::string N(int32_t n) { return std::to_string(n); }

    void SetUp() override {
        StartProgram();
        parent_ = archive_->CreateFolder("Clients", 0, true);
        site_.AddApplication("ARCHIVE", "MS WORD", "Word", "DOC");
    }

    // Once ARCHIVE's marks are read and none is left, a subfolder is looked
    // for in its parent's list first.
    void Settle() {
        EXPECT_EQ(folders_->CreateFolder("Clients", 0, true, "ARCHIVE", 0, ""), parent_);
        ClearLog();
    }

    // A new source folder and the name of its copy, fresh for each case.
    int32_t Source(std::string& name) {
        Settle();
        name = "Acme " + N(++made_);
        const int32_t source = docs_->CreateFolder(name);
        docs_->SetTrustees(source, {dmsim::Group("DOCS_SUPERVISORS", 63)});
        return source;
    }

    int32_t Under(const Place& place) const { return place.underParent ? parent_ : 0; }

    // The call's lookup (in the parent's list, then by SQL) finds nothing.
    void MissLookup(const Place& place) {
        if (place.underParent) Faults().On(op::kLibraryGetFolder).ForDocument(parent_).OnCall(1).AnswerNothing();
        Faults().On(op::kSqlExecute).ForStatement(place.underParent ? kFolderLookup : kRootLookup).OnCall(1)
            .AnswerNothing();
    }

    // The k-th search by SQL for the folders of the name fails.
    void FailSearch(const Place& place, int k) {
        Faults()
            .On(op::kSqlExecute)
            .ForStatement(place.underParent ? kFolderLookup : kRootLookup)
            .OnCall(k)
            .FailStatement(1205, "Chosen as deadlock victim");
    }

    int64_t Named(const std::string& name) {
        return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE P JOIN DOCSADM.FOLDER F ON F.DOCNUMBER = "
                                "P.DOCNUMBER WHERE P.DOCNAME = '" + name + "'");
    }

    int64_t Marks() { return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0"); }

    // One folder of the name, first, filed where it belongs, and nothing
    // left of any other: no filing, row, trustee or mark.
    void ExpectOneFolder(const Place& place, const std::string& name, int32_t first) {
        EXPECT_EQ(Named(name), 1) << LogText();
        EXPECT_EQ(ProfileColumn("ARCHIVE", first, "DOCNAME"), name);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE NODE_TYPE = 'F' AND PARENT = " +
                                       N(parent_) + " AND DISPLAYNAME = '" + name + "'"),
                  place.underParent ? 1 : 0);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT WHERE DISPLAYNAME = '" + name + "'"),
                  place.isPublic ? 1 : 0);
        for (auto [table, column] : {std::pair{"FOLDER_ITEM", "DOCNUMBER"}, {"FOLDER_ITEM", "PARENT"},
                                     {"ACTIVITYLOG", "DOCNUMBER"}, {"FOLDER", "DOCNUMBER"},
                                     {"ROOT_OBJECT", "DOCNUMBER"}}) {
            const std::string c = std::string("T.") + column;
            EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM." + std::string(table) + " T WHERE " + c +
                                           " <> 0 AND NOT EXISTS (SELECT 1 FROM DOCSADM.PROFILE P WHERE "
                                           "P.DOCNUMBER = " + c + ")"),
                      0)
                << table << "." << column;
        }
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.SECURITY S WHERE NOT EXISTS (SELECT 1 FROM "
                                   "DOCSADM.PROFILE P WHERE P.SYSTEM_ID = S.THING) AND S.THING <> 0"),
                  0);
        EXPECT_EQ(Marks(), 0);
        ExpectCleanExit();
    }

    int32_t parent_ = 0;
    int made_ = 0;
};

TEST_F(SecondFolderTest, AFolderMadeAtTheSameMomentAsAnotherGoesIntoTheFirst) {
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(place.name);
        std::string name;
        const int32_t source = Source(name);
        // Another computer's, made while this call looked.
        const int32_t first = archive_->CreateFolder(name, Under(place), place.isPublic);
        MissLookup(place);

        EXPECT_EQ(folders_->CreateFolder(name, Under(place), place.isPublic, "ARCHIVE", source, "DOCS"), first);

        EXPECT_EQ(CountLines("Folder \"" + name + "\" stands first as item #" + N(first)), 1u) << LogText();
        ExpectOneFolder(place, name, first);
        Faults().Clear();
        ClearLog();
    }
}

// The merge cut short at each of its steps (a run killed there, or a step
// the DM refused) is finished by the next call for the folder; an item that
// another computer filed into the second folder ends in the first, once.
TEST_F(SecondFolderTest, AMergeCutShortIsFinishedByTheNextCall) {
    struct Step {
        const char* name;
        bool underParentOnly;
        void (*arm)(dmsim::FaultInjector&);
    };
    const Step steps[] = {
        {"not cut short", false, [](dmsim::FaultInjector&) {}},
        {"at the filing of its item into the first", false,
         [](dmsim::FaultInjector& f) { f.On(op::kFolderAddDocument).Raise(-2147217900, "DOCSObjects", "Killed"); }},
        {"at the removal of its item from it", false,
         [](dmsim::FaultInjector& f) { f.On(op::kFolderRemoveDocument).Raise(-2147217900, "DOCSObjects", "Killed"); }},
        {"at its removal from its parent", true,
         [](dmsim::FaultInjector& f) { f.On(op::kFolderRemoveFolder).Raise(-2147217900, "DOCSObjects", "Killed"); }},
        {"at its deletion", false,
         [](dmsim::FaultInjector& f) { f.On(op::kProfileDelete).Raise(-2147217900, "DOCSObjects", "Killed"); }},
        {"once it is gone, before its mark", false,
         [](dmsim::FaultInjector& f) {
             // After the clean-up of the DM's rows of the second folder.
             f.On(op::kSqlExecute)
                 .ForStatement("DELETE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER")
                 .OnCall(2)
                 .FailStatement(1205, "Killed");
             f.On(op::kSqlExecute)
                 .ForStatement("DELETE FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID")
                 .FailStatement(1205, "Killed");
         }},
    };
    dmsim::DocumentSpec spec;
    for (const Place& place : kPlaces) {
        for (const Step& step : steps) {
            if (step.underParentOnly && !place.underParent) continue;
            SCOPED_TRACE(std::string(place.name) + ", cut short " + step.name);
            std::string name;
            const int32_t source = Source(name);
            const int32_t first = archive_->CreateFolder(name, Under(place), place.isPublic);
            // The first call makes the second folder and cannot compare it.
            MissLookup(place);
            FailSearch(place, 2);
            const int32_t second =
                folders_->CreateFolder(name, Under(place), place.isPublic, "ARCHIVE", source, "DOCS");
            ASSERT_NE(second, 0) << LogText();
            ASSERT_NE(second, first);
            EXPECT_EQ(Marks(), 1);
            Faults().Clear();
            spec.name = "Memo " + name;
            const int32_t memo = archive_->Create(spec);
            archive_->File(memo, second);

            step.arm(Faults());
            EXPECT_EQ(folders_->CreateFolder(name, Under(place), place.isPublic, "ARCHIVE", source, "DOCS"), first)
                << LogText();
            // Cut short, the mark stays for the next call.
            EXPECT_EQ(Marks(), &step == &steps[0] ? 0 : 1) << LogText();
            Faults().Clear();
            EXPECT_EQ(folders_->CreateFolder(name, Under(place), place.isPublic, "ARCHIVE", source, "DOCS"), first)
                << LogText();

            ExpectOneFolder(place, name, first);
            EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + N(memo)), 1);
            EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + N(memo) +
                                           " AND PARENT = " + N(first)),
                      1);
            ClearLog();
        }
    }
}

// A creation under way on another computer is that computer's to finish;
// only once its mark is older than the stale-lock age, or when the mark
// names no run (as older versions wrote it), does another take it up. The
// computer that comes back to it finds the folder made meanwhile and
// merges its own into it.
TEST_F(SecondFolderTest, ACreationUnderWayIsLeftToTheComputerThatMakesIt) {
    struct Case {
        const char* name;
        const char* writer;
        bool aged;
        bool takenUp;
    };
    const Case cases[] = {
        {"another computer's", "PC1", false, false},
        {"another computer's, stale", "PC1", true, true},
        {"a mark that names no run", "", false, true},
    };
    const Place& place = kPlaces[2];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name;
        const int32_t source = Source(name);
        // The writer is killed once the DM has made its folder.
        program_->run.LockOwnerName = c.writer;
        Faults().On(op::kFolderSave).Raise(-2147217900, "DOCSObjects", "Killed");
        EXPECT_EQ(folders_->CreateFolder(name, parent_, false, "ARCHIVE", source, "DOCS"), 0);
        Faults().Clear();
        const int32_t unfinished = static_cast<int32_t>(
            Count("ARCHIVE", "SELECT MAX(DOCNUMBER) FROM DOCSADM.PROFILE WHERE DOCNAME = '" + name + "'"));
        if (c.aged) Db("ARCHIVE").Exec("UPDATE DOCSADM.ACTIVITYLOG SET START_DATE = '2001-01-01 00:00:00' "
                                       "WHERE REF_DOCUMENT < 0");

        program_->run.LockOwnerName = "PC2";
        const int32_t folder = folders_->CreateFolder(name, parent_, false, "ARCHIVE", source, "DOCS");
        ASSERT_NE(folder, 0) << LogText();
        EXPECT_EQ(folder == unfinished, c.takenUp);
        EXPECT_EQ(Marks(), c.takenUp ? 0 : 1);
        if (c.takenUp) {
            ExpectOneFolder(place, name, folder);
            continue;
        }
        // Its rows are as the writer left them: not completed, not filed.
        EXPECT_NE(Value("ARCHIVE", "SELECT PATH FROM DOCSADM.FOLDER WHERE DOCNUMBER = " + N(unfinished)),
                  core::kProductName);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + N(unfinished)), 0);

        program_->run.LockOwnerName = "pc1";
        EXPECT_EQ(folders_->CreateFolder(name, parent_, false, "ARCHIVE", source, "DOCS"), folder) << LogText();
        ExpectOneFolder(place, name, folder);
    }
}

// Of several folders of one name under a parent, the one filed there first
// is the folder, whatever the numbers; the parent's list cannot tell, so
// SQL answers.
TEST_F(SecondFolderTest, UnderAParentTheFolderFiledFirstIsUsed) {
    const int32_t older = archive_->CreateFolder("Acme");
    const int32_t filedFirst = archive_->CreateFolder("Acme", parent_);
    archive_->File(older, parent_);
    Settle();

    EXPECT_EQ(folders_->CreateFolder("Acme", parent_, false, "ARCHIVE", 0, ""), filedFirst);

    EXPECT_EQ(CountLines("Note: There are 2 folders named \"Acme\" in parent folder #" + N(parent_) +
                         " - looking for the first one filed"),
              1u)
        << LogText();
    EXPECT_EQ(CountLines("Folder \"Acme\" already exists as item #" + N(filedFirst) + " in parent folder #" +
                         N(parent_)),
              1u);
}

}  // namespace
