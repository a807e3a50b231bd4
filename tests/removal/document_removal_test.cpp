#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "removal_fixture.h"

namespace {

using removal_test::RemovalTest;
namespace op = dmsim::op;

class DocumentRemovalTest : public RemovalTest {
protected:
    // The ARCHIVE row of DOCS's REMOTE_LIBRARIES.
    std::string ArchiveId() {
        return Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'");
    }

    void AddActivity(int32_t docNumber, int32_t type, const std::string& description, int32_t refDocument,
                     const std::string& refLibrary) {
        static int64_t key = 900000;
        Db("DOCS").Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, "
                        "REF_DOCUMENT, REF_LIBRARY) VALUES (" +
                        std::to_string(++key) + ", " + std::to_string(docNumber) + ", " + std::to_string(type) +
                        ", '" + description + "', " + std::to_string(refDocument) + ", " + refLibrary + ")");
    }

    bool HasProfile(int32_t docNumber) {
        return Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(docNumber)) ==
               1;
    }
};

TEST_F(DocumentRemovalTest, RemovesEveryRowAndFileOfTheDocumentAndNothingElse) {
    StartProgram();
    const int32_t cases = docs_->CreateFolder("Cases");
    const int32_t deals = docs_->CreateFolder("Deals");
    const int32_t before = Document(*docs_, "Alpha", {dmsim::Version("a")}, {cases});
    const int32_t lease = Document(*docs_, "Lease",
                                   {dmsim::Version("draft"), dmsim::Version("final"), dmsim::Subversion(1, "note"),
                                    dmsim::Attachment("A", "scan")},
                                   {cases, deals});
    const int32_t other = Document(*docs_, "Other", {dmsim::Version("o"), dmsim::Version("p")}, {cases, deals});
    docs_->SetTrustees(lease, {dmsim::User("JSMITH", 255), dmsim::Group("DOCS_USERS", 63)});
    docs_->SetTrustees(other, {dmsim::User("JSMITH", 255)});
    docs_->Relate(lease, other);
    docs_->Relate(other, lease);
    docs_->Relate(other, before);
    for (int32_t doc : {lease, other}) {
        const std::string n = std::to_string(doc);
        Db("DOCS").Exec("INSERT INTO DOCSADM.CHECKOUT (DOCNUMBER, LOCATION) VALUES (" + n + ", 'C:\\TEMP')");
        Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_INDEXING (DOCNUMBER) VALUES (" + n + ")");
        Db("DOCS").Exec("INSERT INTO DOCSADM.RESTORE_REQUESTS (DOCNUMBER) VALUES (" + n + ")");
        Db("DOCS").Exec("INSERT INTO DOCSADM.PROJECT (PROFILE_ID) VALUES (" + n + ")");
    }
    // Entries of another document that refer to the lease here, and to the
    // document of the same number in ARCHIVE.
    AddActivity(other, 0, "Copied from #" + std::to_string(lease), lease, "0");
    AddActivity(other, 0, "Copied from #" + std::to_string(lease), lease, ArchiveId());
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    ClearLog();

    const int64_t systemId = SystemId("DOCS", lease);
    const auto files = Files("DOCS", lease);
    ASSERT_EQ(files.size(), 4u);
    for (const auto& f : files) ASSERT_TRUE(Exists(f)) << f;
    for (const auto& [table, rows] : RowsOf("DOCS", lease, systemId)) ASSERT_GT(rows, 0) << table;
    const auto rest = Rest("DOCS", lease, systemId, files);

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    for (const auto& [table, rows] : RowsOf("DOCS", lease, systemId)) EXPECT_EQ(rows, 0) << table;
    for (const auto& f : files) EXPECT_FALSE(Exists(f)) << f;
    ExpectSameRest(rest, Rest("DOCS", lease, systemId, files));
    EXPECT_EQ(ListOrder("DOCS", cases), (std::vector<std::string>{"Alpha", "Other"}));
    EXPECT_EQ(ListOrder("DOCS", deals), (std::vector<std::string>{"Other"}));
    EXPECT_EQ(CountLines("Removing Document #" + std::to_string(lease)), 1u) << LogText();
    EXPECT_EQ(CountLines(std::string(80, '-')), 1u);
    EXPECT_EQ(CountLines("Removing document #" + std::to_string(lease) + " using SQL"), 1u);
    ExpectCleanExit("ARCHIVE");
}

TEST_F(DocumentRemovalTest, MetadataOnlyKeepsTheFilesAndRemovesTheRows) {
    StartProgram();
    const int32_t lease = Document(*docs_, "Lease", {dmsim::Version("draft"), dmsim::Version("final")});
    const auto files = Files("DOCS", lease);
    window_->CheckMetaData.SetValue(1);

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    EXPECT_FALSE(HasProfile(lease));
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.COMPONENTS WHERE DOCNUMBER = " + std::to_string(lease)), 0);
    for (const auto& f : files) EXPECT_TRUE(Exists(f)) << f;
}

TEST_F(DocumentRemovalTest, KeepsFilesThatAreNotTheDocumentsOwn) {
    StartProgram();
    // A metadata-only copy: its rows name the file of an ARCHIVE document.
    const int32_t source = Document(*archive_, "Source", {dmsim::Version("original")});
    const int32_t copy = Document(*docs_, "Copy", {dmsim::Version("placeholder")});
    const std::string sourceFile = Files("ARCHIVE", source).front();
    const auto sourceRow = Db("ARCHIVE").Query("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM DOCSADM.PROFILE P "
                                               "JOIN DOCSADM.COMPONENTS C ON C.DOCNUMBER = P.DOCNUMBER "
                                               "WHERE P.DOCNUMBER = " + std::to_string(source));
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET DOCSERVER_LOC = ?, PATH = ? WHERE DOCNUMBER = ?",
                    {sourceRow.rows[0][0], sourceRow.rows[0][1], int64_t{copy}});
    Db("DOCS").Exec("UPDATE DOCSADM.COMPONENTS SET PATH = ? WHERE DOCNUMBER = ?", {sourceRow.rows[0][2], int64_t{copy}});
    ASSERT_EQ(Files("DOCS", copy).front(), sourceFile);
    // Two documents of DOCS naming one file.
    const int32_t owner = Document(*docs_, "Owner", {dmsim::Version("shared")});
    const int32_t sharer = Document(*docs_, "Sharer", {dmsim::Version("own")});
    const std::string sharerFile = Files("DOCS", sharer).front();
    const std::string sharedFile = Files("DOCS", owner).front();
    Db("DOCS").Exec("UPDATE DOCSADM.COMPONENTS SET PATH = (SELECT PATH FROM DOCSADM.COMPONENTS WHERE DOCNUMBER = " +
                    std::to_string(owner) + ") WHERE DOCNUMBER = " + std::to_string(sharer));
    std::filesystem::remove(sharerFile);

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", copy, "DOCS"));
    EXPECT_TRUE(removal_->RemoveDocument("DOCS", sharer, "DOCS"));

    EXPECT_FALSE(HasProfile(copy));
    EXPECT_FALSE(HasProfile(sharer));
    EXPECT_TRUE(Exists(sourceFile));
    EXPECT_TRUE(Exists(sharedFile));
    EXPECT_EQ(CountLines("Warning: " + sourceFile + " lies outside the document storage of library DOCS - not removed"),
              1u)
        << LogText();
    EXPECT_EQ(CountLines("Warning: " + sharedFile + " is also a component of document #" + std::to_string(owner) +
                         " - not removed"),
              1u);
}

TEST_F(DocumentRemovalTest, AProfileWithoutItsApplicationRowIsStillRemoved) {
    StartProgram();
    const int32_t lease = Document(*docs_, "Lease");
    const auto files = Files("DOCS", lease);
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET APPLICATION = 987654 WHERE DOCNUMBER = " + std::to_string(lease));

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    EXPECT_FALSE(HasProfile(lease));
    EXPECT_FALSE(Exists(files.front()));
    EXPECT_EQ(CountLines("does not appear to exist"), 0u) << LogText();
}

TEST_F(DocumentRemovalTest, FolderLinksGoWhicheverConventionNamesThisLibrary) {
    StartProgram();
    // This library's own row under a number of its own, as some libraries
    // keep it, and links written with that number.
    Db("DOCS").Exec("UPDATE DOCSADM.REMOTE_LIBRARIES SET SYSTEM_ID = 7 WHERE LIBRARY_NAME = 'DOCS'");
    const int32_t cases = docs_->CreateFolder("Cases");
    const int32_t lease = Document(*docs_, "Lease", {dmsim::Version("x")}, {cases});
    const int32_t other = Document(*docs_, "Other", {dmsim::Version("x")}, {cases});
    Db("DOCS").Exec("UPDATE DOCSADM.FOLDER_ITEM SET LIBRARY = 7, PARENT_LIBRARY = 7 WHERE DOCNUMBER = " +
                    std::to_string(lease));
    // A link that files the lease in a folder of ARCHIVE.
    Db("DOCS").Exec("INSERT INTO DOCSADM.FOLDER_ITEM (SYSTEM_ID, PARENT, PARENT_LIBRARY, DOCNUMBER, LIBRARY, "
                    "DISPLAYNAME, \"NEXT\", ISFIRST) VALUES (880001, 501, " + ArchiveId() + ", " +
                    std::to_string(lease) + ", 0, 'Lease', 0, 'Y')");
    AddActivity(other, 0, "Copied from #" + std::to_string(lease), lease, "7");

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + std::to_string(lease)), 0);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT = " + std::to_string(lease)),
              0);
    EXPECT_EQ(ListOrder("DOCS", cases), (std::vector<std::string>{"Other"}));
}

TEST_F(DocumentRemovalTest, APartialRemovalIsNotReportedAsDone) {
    StartProgram();
    const int32_t lease = Document(*docs_, "Lease");
    Faults().On(op::kSqlExecute).ForStatement("DELETE FROM DOCSADM.PROFILE").FailStatement(547, "The DELETE conflicted");

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    EXPECT_TRUE(HasProfile(lease));
    EXPECT_EQ(CountLines("Error: Document #" + std::to_string(lease) + " NOT removed from library DOCS"), 1u)
        << LogText();
    ExpectCleanExit();
}

// A read that fails answers no rows, as an absent document does; it must
// never pass for one, or the caller takes a document that stays for gone.
TEST_F(DocumentRemovalTest, AFailedReadIsNoProofOfAbsence) {
    StartProgram();
    struct Case {
        const char* name;
        const char* failing;  // the statements that fail
        bool raise;           // the SQL object raises instead of reporting an SQL error
        bool byReference;     // the copy of an ARCHIVE document, found by its activity entry
        const char* line;
    };
    const Case cases[] = {
        {"existence read", "SELECT P.STATUS, A.APPLICATION", false, false, "exists in library DOCS could not be read"},
        {"existence read raises", "SELECT P.STATUS, A.APPLICATION", true, false,
         "exists in library DOCS could not be read"},
        {"every profile read", "FROM DOCSADM.PROFILE", false, false, "exists in library DOCS could not be read"},
        {"reference lookup", "SELECT DOCNUMBER FROM DOCSADM.ACTIVITYLOG", false, true,
         "in library DOCS could not be identified - nothing removed"},
        {"every reference read", "FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT", false, true,
         "in library DOCS could not be identified - nothing removed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = Document(*archive_, "Source");
        const int32_t copy = Document(*docs_, "Copy");
        AddActivity(copy, 24, "Transferred from ARCHIVE", source, ArchiveId());
        Faults().Clear();
        auto rule = Faults().On(op::kSqlExecute).ForLibrary("DOCS").ForStatement(c.failing);
        c.raise ? rule.Raise(-2147467259, "PCDSQL", "Connection lost") : rule.FailStatement(1205, "deadlock victim");
        ClearLog();

        EXPECT_FALSE(removal_->RemoveDocument("DOCS", c.byReference ? -source : copy, "ARCHIVE"));

        Faults().Clear();
        EXPECT_TRUE(HasProfile(copy));
        EXPECT_EQ(CountLines(c.line), 1u) << LogText();
        EXPECT_EQ(CountLines("does not appear to exist"), 0u);
        EXPECT_EQ(CountLines("No reference document identified"), 0u);
        ExpectCleanExit();
    }
}

// The copy to remove, found from the number of its source in ARCHIVE.
struct ReferenceCase {
    const char* name;
    int32_t activityType;  // -1: no entry
    const char* description;
    int32_t sign;          // the number passed: -source (-1), 0 (0), the copy's own (1)
    const char* refLibrary;
    bool removed;
    const char* line;
};

void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

class ReferenceLookupTest : public DocumentRemovalTest, public ::testing::WithParamInterface<ReferenceCase> {};

TEST_P(ReferenceLookupTest, RemovesOnlyTheCopyTheActivityLogNames) {
    StartProgram();
    const auto& c = GetParam();
    const int32_t source = Document(*archive_, "Source");
    const int32_t copy = Document(*docs_, "Copy");
    const int32_t bystander = Document(*docs_, "Bystander");
    if (c.activityType >= 0) AddActivity(copy, c.activityType, c.description, source, ArchiveId());
    const int32_t number = c.sign < 0 ? -source : c.sign == 0 ? 0 : copy;

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", number, c.refLibrary));

    EXPECT_EQ(!HasProfile(copy), c.removed);
    EXPECT_TRUE(HasProfile(bystander));
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(source)), 1);
    EXPECT_EQ(CountLines(c.line), 1u) << LogText();
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceLookupTest,
    ::testing::Values(
        ReferenceCase{"CopiedFrom", 0, "Copied from #501", -1, "ARCHIVE", true, "using SQL"},
        ReferenceCase{"TransferredFrom", 24, "Transferred from ARCHIVE", -1, "ARCHIVE", true, "using SQL"},
        ReferenceCase{"MovedFrom", 24, "Moved from ARCHIVE", -1, "ARCHIVE", true, "using SQL"},
        // The entry of an original that was copied to ARCHIVE names the
        // original, not a copy.
        ReferenceCase{"CopiedToIsTheOriginal", 0, "Copied to #501", -1, "ARCHIVE", false,
                      "No reference document identified for this document in library DOCS"},
        ReferenceCase{"TransferredToIsTheOriginal", 25, "Transferred to ARCHIVE", -1, "ARCHIVE", false,
                      "No reference document identified for this document in library DOCS"},
        ReferenceCase{"NoEntry", -1, "", -1, "ARCHIVE", false,
                      "No reference document identified for this document in library DOCS"},
        ReferenceCase{"NegativeWithoutReferenceLibrary", 0, "Copied from #501", -1, "", false,
                      "No reference document identified for this document in library DOCS"},
        ReferenceCase{"Zero", 0, "Copied from #501", 0, "ARCHIVE", false,
                      "No reference document identified for this document in library DOCS"},
        ReferenceCase{"PositiveIgnoresTheReferenceLibrary", -1, "", 1, "ARCHIVE", true, "using SQL"}),
    [](const ::testing::TestParamInfo<ReferenceCase>& info) { return std::string(info.param.name); });

TEST_F(DocumentRemovalTest, AReferenceLibraryNameWithAnApostropheIsLookedUp) {
    StartProgram();
    Db("DOCS").Exec("INSERT INTO DOCSADM.REMOTE_LIBRARIES (SYSTEM_ID, LIBRARY_NAME, DATABASE_ENGINE, OWNER) "
                    "VALUES (77, 'O''BRIEN LAW', 1, 'DOCSADM')");
    const int32_t copy = Document(*docs_, "Copy");
    AddActivity(copy, 0, "Copied from #42", 42, "77");

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", -42, "O'BRIEN LAW"));

    EXPECT_FALSE(HasProfile(copy));
    EXPECT_EQ(CountLines("Identifying the target document number for reference document #42 in library O'BRIEN LAW"),
              1u)
        << LogText();
}

TEST_F(DocumentRemovalTest, ANumberWithoutADocumentIsNothingToRemove) {
    StartProgram();

    EXPECT_TRUE(removal_->RemoveDocument("DOCS", 4321, "DOCS"));

    EXPECT_EQ(CountLines("Document #4321 does not appear to exist in library DOCS"), 1u) << LogText();
    ExpectCleanExit();
}

TEST_F(DocumentRemovalTest, WithoutTheRightToDeleteNothingIsRemoved) {
    site_.Library("DOCS").SettingsTable(true).Right("User.DocDelete", false);
    site_.Library("ARCHIVE");
    StartProgram();
    const int32_t lease = Document(*docs_, "Lease");
    const auto files = Files("DOCS", lease);
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    ClearLog();

    EXPECT_FALSE(removal_->RemoveDocument("DOCS", lease, "DOCS"));

    EXPECT_TRUE(HasProfile(lease));
    EXPECT_TRUE(Exists(files.front()));
    EXPECT_EQ(CountLines("Warning: DMADMIN does not have permission to delete documents in library DOCS"), 1u)
        << LogText();
    EXPECT_EQ(CountLines("***An unknown error occurred on line above***"), 1u);
    ExpectCleanExit("ARCHIVE");
}

TEST_F(DocumentRemovalTest, ALibraryThatCannotBeConnectedIsAFailure) {
    StartProgram();
    const int32_t source = Document(*archive_, "Source");
    Faults().On(op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");

    EXPECT_FALSE(removal_->RemoveDocument("ARCHIVE", source, "ARCHIVE"));

    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(source)), 1);
    EXPECT_EQ(CountLines("Error: unable to connect to library ARCHIVE"), 1u) << LogText();
    ExpectCleanExit();
}

}  // namespace

namespace removal_test {
namespace {

TEST_F(DocumentRemovalTest, ARelationToAnotherLibrarysDocumentOfTheSameNumberStays) {
    StartProgram();
    const int32_t lease = Document(*docs_, "Lease");
    const int32_t other = Document(*docs_, "Other");
    const std::string n = std::to_string(lease);
    // "Other" relates to the document of the same number in ARCHIVE.
    Db("DOCS").Exec("INSERT INTO DOCSADM.RELATED (ITEM1, ITEM2, REMOTE_LIBRARY) VALUES (" + std::to_string(other) +
                    ", " + n + ", " + ArchiveId() + ")");
    EXPECT_TRUE(removal_->RemoveDocument("DOCS", lease, "DOCS"));
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ITEM2 = " + n), 1);
}

}  // namespace
}  // namespace removal_test
