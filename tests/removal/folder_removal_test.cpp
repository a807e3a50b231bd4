#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "removal_fixture.h"

namespace {

using removal_test::RemovalTest;
namespace op = dmsim::op;

class FolderRemovalTest : public RemovalTest {
protected:
    // The library's user without universal access: the folder's own
    // trustees decide whether it may be deleted.
    void StartWithoutUniversalAccess() {
        site_.Library("DOCS").SettingsTable(true).PrimaryGroup("LEGAL");
        site_.Library("ARCHIVE");
        StartProgram();
    }

    std::string Column(int32_t doc, const std::string& column) {
        return Value("DOCS", "SELECT " + column + " FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(doc));
    }

    bool HasProfile(int32_t doc) { return !Column(doc, "DOCNUMBER").empty(); }

    void AddActivity(int32_t doc, int32_t type) {
        static int64_t key = 910000;
        Db("DOCS").Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC) VALUES (" +
                        std::to_string(++key) + ", " + std::to_string(doc) + ", " + std::to_string(type) + ", 'x')");
    }

    void MakeReadOnly(int32_t doc) {
        Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET STATUS = 19, PD_OBJ_TYPE = '1', READONLY = 'Y', "
                        "READONLY_DATE = '2021-03-01 10:00:00' WHERE DOCNUMBER = " +
                        std::to_string(doc));
    }

    // A folder in a parent folder beside another document, holding three
    // documents and a subfolder, with activity entries and relations.
    struct Filled {
        int32_t parent;
        int32_t folder;
        std::vector<int32_t> documents;
        int32_t subfolder;
    };

    Filled FilledFolder() {
        Filled f;
        f.parent = docs_->CreateFolder("Clients");
        Document(*docs_, "Zed", {dmsim::Version("z")}, {f.parent});
        f.folder = docs_->CreateFolder("Cases", f.parent);
        for (const char* name : {"One", "Two", "Three"}) {
            f.documents.push_back(Document(*docs_, name, {dmsim::Version(name)}, {f.folder}));
        }
        f.subfolder = docs_->CreateFolder("Sub", f.folder);
        for (int32_t type : {0, 24, 25}) AddActivity(f.folder, type);
        return f;
    }

    int64_t Rows(const std::string& sql) { return Count("DOCS", sql); }
};

TEST_F(FolderRemovalTest, AnEmptyFolderInNoFolderIsDeleted) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Empty");
    const std::string n = std::to_string(folder);

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_FALSE(HasProfile(folder));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.FOLDER WHERE DOCNUMBER = " + n), 0);
    EXPECT_EQ(CountLines("This item exists in 0 folder(s)"), 1u) << LogText();
    EXPECT_EQ(CountLines("Not removing item #" + n + " from any parents"), 1u);
    EXPECT_EQ(CountLines("Document #" + n + " removed from library DOCS"), 1u);
    EXPECT_EQ(CountLines("remain connected"), 0u);
    ExpectCleanExit();
}

TEST_F(FolderRemovalTest, AFolderWithoutItsApplicationRowIsStillTakenApartAsAFolder) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document(*docs_, "Inside", {dmsim::Version("x")}, {folder});
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET APPLICATION = 987654 WHERE DOCNUMBER = " + std::to_string(folder));

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_FALSE(HasProfile(folder));
    EXPECT_TRUE(HasProfile(doc));
    const std::string n = std::to_string(folder);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.FOLDER WHERE DOCNUMBER = " + n), 0);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + n), 0);
    EXPECT_EQ(CountLines("using SQL"), 0u) << LogText();
}

TEST_F(FolderRemovalTest, AFilledFolderIsEmptiedDetachedAndDeleted) {
    StartProgram();
    const auto f = FilledFolder();
    const std::string n = std::to_string(f.folder);
    const int32_t linked = Document(*archive_, "Linked");
    docs_->Link(f.folder, "ARCHIVE", linked);
    docs_->Relate(f.folder, f.documents[0]);
    docs_->Relate(f.documents[1], f.folder);
    docs_->Relate(f.documents[2], f.folder, "ARCHIVE");

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", f.folder, "DOCS"));

    EXPECT_FALSE(HasProfile(f.folder));
    for (int32_t doc : f.documents) EXPECT_TRUE(HasProfile(doc)) << doc;
    EXPECT_TRUE(HasProfile(f.subfolder));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + n + " OR DOCNUMBER = " + n), 0);
    EXPECT_EQ(ListOrder("DOCS", f.parent), (std::vector<std::string>{"Zed"}));
    // Only its transfer entries go with the folder.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE IN (24, 25) AND DOCNUMBER = " + n), 0);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND DOCNUMBER = " + n), 1);
    // A relation to the folder's number in ARCHIVE is another item's.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ITEM1 = " + n + " OR ITEM2 = " + n), 1);

    // The documents go from the last to the first.
    std::vector<std::string> order;
    for (const auto& line : PlainLogLines()) {
        for (int32_t doc : f.documents) {
            if (line.rfind("Removing document #" + std::to_string(doc) + " in library DOCS from folder #" + n, 0) == 0) {
                order.push_back(std::to_string(doc));
            }
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{std::to_string(f.documents[2]), std::to_string(f.documents[1]),
                                               std::to_string(f.documents[0])}))
        << LogText();
    EXPECT_EQ(CountLines("Removing 1 subfolder(s) from folder " + n + " in library DOCS"), 1u);
    EXPECT_EQ(CountLines("This item exists in 1 folder(s)"), 1u);
    EXPECT_EQ(CountLines("from link #" + std::to_string(linked) + " [Linked] in library ARCHIVE"), 1u);
    EXPECT_EQ(CountLines("Profile saved ok (-1)"), 1u);
    EXPECT_EQ(CountLines("remain connected"), 0u);
    ExpectCleanExit();
}

TEST_F(FolderRemovalTest, AReadOnlyPrivateFolderIsRemoved) {
    StartWithoutUniversalAccess();
    const int32_t folder = docs_->CreateFolder("Private", 0, /*isPublic=*/false);
    Document(*docs_, "Inside", {dmsim::Version("x")}, {folder});
    docs_->SetTrustees(folder, {dmsim::User("DMADMIN", 255)});
    MakeReadOnly(folder);

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_FALSE(HasProfile(folder));
    EXPECT_EQ(CountLines("Warning: Document #" + std::to_string(folder) +
                         " in library DOCS is read-only - will change status before removing/replacing"),
              1u)
        << LogText();
    ExpectCleanExit();
}

// Refusals the remover can tell before it changes anything.
struct RefusalCase {
    const char* name;
    bool unreadable;  // the profile cannot be opened
    const char* line;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class FolderRefusalTest : public FolderRemovalTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FolderRefusalTest, ChangesNothingAndAnswersFalse) {
    StartWithoutUniversalAccess();
    const auto f = FilledFolder();
    docs_->Relate(f.folder, f.documents[0]);
    docs_->SetTrustees(f.folder, {dmsim::User("JSMITH", 255), dmsim::User("DMADMIN", GetParam().unreadable ? 255 : 1)});
    MakeReadOnly(f.folder);
    if (GetParam().unreadable) Faults().On(op::kLibraryGetProfile).ForDocument(f.folder).AnswerNothing();
    const auto before = Rest("DOCS", 0, 0, {});

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", f.folder, "DOCS"));

    ExpectSameRest(before, Rest("DOCS", 0, 0, {}));
    const std::string n = std::to_string(f.folder);
    EXPECT_EQ(CountLines(std::string(GetParam().line) + n + " in library DOCS - nothing changed"), 1u) << LogText();
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderRefusalTest,
    ::testing::Values(RefusalCase{"NoRightToDelete", false, "Warning: DMADMIN does not have the right to remove folder #"},
                      RefusalCase{"ProfileNotOpened", true, "Error: Profile object could not be opened for document #"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// The DM refuses the deletion once the folder is taken apart.
struct LateRefusalCase {
    const char* name;
    bool reportsSuccess;  // Delete answers True but the row stays
    const char* line;
};

void PrintTo(const LateRefusalCase& c, std::ostream* os) { *os << c.name; }

class FolderLateRefusalTest : public FolderRemovalTest, public ::testing::WithParamInterface<LateRefusalCase> {};

TEST_P(FolderLateRefusalTest, PutsStatusAndSecurityBack) {
    StartWithoutUniversalAccess();
    const int32_t folder = docs_->CreateFolder("Cases");
    docs_->SetTrustees(folder, {dmsim::User("DMADMIN", 255)});
    MakeReadOnly(folder);
    if (GetParam().reportsSuccess) {
        Faults().On(op::kProfileDelete).ForDocument(folder).Answer(true);
    } else {
        Faults().On(op::kProfileDelete).ForDocument(folder).Refuse(1234, "Refused by the server");
    }

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_EQ(Column(folder, "STATUS"), "19");
    EXPECT_EQ(Column(folder, "DEFAULT_RIGHTS"), "1");
    EXPECT_EQ(Column(folder, "PD_OBJ_TYPE"), "1");
    EXPECT_EQ(Column(folder, "READONLY_DATE"), "2021-03-01 10:00:00");
    EXPECT_EQ(CountLines(GetParam().line), 1u) << LogText();
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderLateRefusalTest,
    ::testing::Values(LateRefusalCase{"DeleteRefused", false, "The error is #1234:Refused by the server"},
                      LateRefusalCase{"RowRemains", true, " NOT removed from library DOCS"}),
    [](const ::testing::TestParamInfo<LateRefusalCase>& info) { return std::string(info.param.name); });

// A right to delete that comes only through a group is not refused by the
// program, which cannot see it through the DM client: the DM judges it with
// the folder's security in force, and its answer stands.
TEST_F(FolderRemovalTest, ARightThroughAGroupIsTheDmsToJudge) {
    StartWithoutUniversalAccess();
    site_.AddGroup("DOCS", "RECORDS", "Records");
    site_.AddMember("DOCS", "DMADMIN", "RECORDS");
    struct Case {
        const char* name;
        std::vector<dmsim::TrusteeSpec> trustees;
        bool dmRefuses;
        bool removed;
        const char* line;
    };
    const Case cases[] = {
        {"primary group", {dmsim::User("JSMITH", 255), dmsim::Group("LEGAL", 64 + 1)}, false, true,
         " comes through a group - the DM decides"},
        {"member of a group", {dmsim::User("DMADMIN", 1), dmsim::Group("RECORDS", 255)}, false, true,
         " comes through a group - the DM decides"},
        {"group without the right", {dmsim::Group("LEGAL", 63)}, false, false,
         "Warning: DMADMIN does not have the right to remove folder #"},
        {"refused by the DM", {dmsim::Group("LEGAL", 255)}, true, false, "The error is #5:Access denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t folder = docs_->CreateFolder(std::string("Cases ") + c.name);
        const int32_t inside = Document(*docs_, std::string("Inside ") + c.name, {dmsim::Version("x")}, {folder});
        docs_->SetTrustees(folder, c.trustees);
        MakeReadOnly(folder);
        Faults().Clear();
        if (c.dmRefuses) Faults().On(op::kProfileDelete).ForDocument(folder).Refuse(5, "Access denied");
        ClearLog();

        EXPECT_EQ(removal_->RemoveDocument("DOCS", folder, "DOCS"), c.removed) << LogText();

        EXPECT_EQ(HasProfile(folder), !c.removed);
        EXPECT_TRUE(HasProfile(inside));
        // Without a right the folder is not even taken apart.
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + std::to_string(folder)),
                  !c.removed && !c.dmRefuses ? 1 : 0);
        if (!c.removed) {
            EXPECT_EQ(Column(folder, "DEFAULT_RIGHTS"), "1");
            EXPECT_EQ(Column(folder, "STATUS"), "19");
        }
        EXPECT_EQ(CountLines(c.line), 1u) << LogText();
        // The DM is asked with the folder's security in force, never opened.
        EXPECT_EQ(CountLines("DEFAULT_RIGHTS = 0"), 0u);
        ExpectCleanExit();
    }
}

TEST_F(FolderRemovalTest, ACountThatGivesNoValueIsNotARemoval) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Empty");
    Faults().On(op::kSqlExecute).ForStatement("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER").FailStatement(
        1205, "deadlock victim");

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_EQ(CountLines("Document #" + std::to_string(folder) + " NOT removed from library DOCS"), 1u) << LogText();
}

TEST_F(FolderRemovalTest, ItemsThatStayAreReportedAndTheDeletionIsRefused) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document(*docs_, "Inside", {dmsim::Version("x")}, {folder});
    Faults().On(op::kFolderRemoveDocument).ForDocument(folder).Answer(true, 4321, "Item is held");

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", folder, "DOCS"));

    EXPECT_TRUE(HasProfile(folder));
    EXPECT_TRUE(HasProfile(doc));
    EXPECT_EQ(CountLines("Error: (4321) - Item is held"), 1u) << LogText();
    EXPECT_EQ(CountLines("Warning: 1 subdocument(s) remain connected to folder #" + std::to_string(folder)), 1u);
    EXPECT_EQ(CountLines("Error: Unable to remove profile object for document #" + std::to_string(folder)), 1u);
    ExpectCleanExit();
}

}  // namespace
