#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "core/program.h"
#include "folders_fixture.h"

namespace {

using folders_test::FoldersTest;
namespace op = dmsim::op;

class CreateFolderTest : public FoldersTest {
protected:
    std::string N(int32_t n) { return std::to_string(n); }

    int64_t ActivityRows(const std::string& library, int32_t docNumber) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + N(docNumber));
    }
};

// The first look is into the parent's list of subfolders, whose names
// match in any letter case, before anything is connected; on a library
// whose SQL compares case-sensitively, that is what finds "acme" for "Acme".
class ParentFirstTest : public CreateFolderTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ParentFirstTest, FindsTheSubfolderInItsParentWithoutConnectingAnything) {
    site_.Library("DOCS").SettingsTable(true).CaseSensitive(GetParam());
    site_.Library("ARCHIVE");
    StartProgram();
    const int32_t parent = docs_->CreateFolder("Clients");
    const int32_t acme = docs_->CreateFolder("acme", parent);
    const int64_t before = Folders("DOCS");

    EXPECT_EQ(folders_->CreateFolder("Acme", parent, false, "DOCS", 0, ""), acme);

    EXPECT_EQ(Folders("DOCS"), before);
    EXPECT_EQ(CountLines("Folder \"Acme\" already exists as item #" + N(acme) + " in parent folder #" + N(parent)), 1u)
        << LogText();
    EXPECT_EQ(CountLines("Executing"), 0u);
    EXPECT_EQ(CountLines("Connecting to library"), 0u);
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(Libraries, ParentFirstTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "CaseSensitive" : "CaseInsensitive"); });

// How a library marks its own items in FOLDER_ITEM.LIBRARY: 0, NULL, or the
// SYSTEM_ID of its own REMOTE_LIBRARIES row (moved away from 0 here).
struct Convention {
    const char* name;
    int ownRowId;
    const char* itemLibrary;
};

void PrintTo(const Convention& c, std::ostream* os) { *os << c.name; }

class LibraryConventionTest : public CreateFolderTest, public ::testing::WithParamInterface<Convention> {
protected:
    void Apply() {
        const auto& c = GetParam();
        if (c.ownRowId != 0) {
            Db("DOCS").Exec("UPDATE DOCSADM.REMOTE_LIBRARIES SET SYSTEM_ID = " + N(c.ownRowId) +
                            " WHERE LIBRARY_NAME = 'DOCS'");
        }
        Db("DOCS").Exec(std::string("UPDATE DOCSADM.FOLDER_ITEM SET LIBRARY = ") + c.itemLibrary);
    }
};

TEST_P(LibraryConventionTest, TheSqlSearchFindsALocalSubfolder) {
    StartProgram();
    const int32_t parent = docs_->CreateFolder("Clients");
    const int32_t acme = docs_->CreateFolder("Acme", parent);
    Apply();
    ASSERT_EQ(folders_->CreateFolder("Clients", 0, false, "DOCS", 0, ""), parent);
    // The parent folder cannot be opened, so the search is left to SQL.
    Faults().On(op::kLibraryGetFolder).ForDocument(parent).AnswerNothing();
    const int64_t before = Folders("DOCS");

    EXPECT_EQ(folders_->CreateFolder("Acme", parent, false, "DOCS", 0, ""), acme) << LogText();

    EXPECT_EQ(Folders("DOCS"), before);
    EXPECT_EQ(CountLines("Note: Unable to open folder object for parent folder #" + N(parent)), 1u);
    ExpectCleanExit();
}

TEST_P(LibraryConventionTest, ARootFolderFiledAsASubfolderIsNotTakenForARootFolder) {
    StartProgram();
    const int32_t root = docs_->CreateFolder("Archive");
    const int32_t parent = docs_->CreateFolder("Clients");
    docs_->CreateFolder("Archive", parent);
    Apply();

    EXPECT_EQ(folders_->CreateFolder("Archive", 0, false, "DOCS", 0, ""), root) << LogText();
    EXPECT_EQ(CountLines("Notice: There are"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Conventions, LibraryConventionTest,
                         ::testing::Values(Convention{"ZeroWithOwnRowZero", 0, "0"},
                                           Convention{"NullWithOwnRowZero", 0, "NULL"},
                                           Convention{"OwnRowId", 77, "77"},
                                           Convention{"ZeroWithOwnRowElsewhere", 77, "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Of several root folders of one name the most recently created is used,
// as libraries that hold such folders rely on.
TEST_F(CreateFolderTest, OfSeveralRootFoldersOfOneNameTheMostRecentlyCreatedIsUsed) {
    StartProgram();
    docs_->CreateFolder("Archive");
    docs_->CreateFolder("archive");
    const int32_t latest = docs_->CreateFolder("Archive");
    docs_->CreateFolder("Archives");
    const int64_t before = Folders("DOCS");

    EXPECT_EQ(folders_->CreateFolder("Archive", 0, true, "DOCS", 0, ""), latest);

    EXPECT_EQ(Folders("DOCS"), before);
    EXPECT_EQ(CountLines("Notice: There are 3 folders named 'Archive' - I will use the most recently created one"), 1u)
        << LogText();
    EXPECT_EQ(CountLines("Folder \"Archive\" already exists as item #" + N(latest) + " as a parent folder"), 1u);
    ExpectCleanExit();
}

TEST_F(CreateFolderTest, CreatesAPublicRootFolderFromTheSourceFolderAndReusesIt) {
    CreateSite();
    site_.AddPerson("DOCS", "JSMITH", "Jane Smith", "DOCS_USERS");
    site_.AddPerson("ARCHIVE", "JSMITH", "Jane Smith", "DOCS_USERS");
    StartProgram();
    const int32_t source = docs_->CreateFolder("Matters", 0, true);
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET STORAGETYPE = 'K', AUTHOR = (SELECT SYSTEM_ID FROM DOCSADM.PEOPLE "
                    "WHERE USER_ID = 'JSMITH') WHERE DOCNUMBER = " + N(source));
    docs_->SetTrustees(source, {dmsim::User("JSMITH", 63), dmsim::Group("DOCS_SUPERVISORS", 255)});

    const int32_t folder = folders_->CreateFolder("Matters", 0, true, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DOCNAME"), "Matters");
    // Copied from the source, except what the rules fix.
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "STORAGETYPE"), "K");
    EXPECT_EQ(Value("ARCHIVE", "SELECT P.USER_ID FROM DOCSADM.PROFILE R JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID = "
                               "R.AUTHOR WHERE R.DOCNUMBER = " + N(folder)),
              "DMADMIN");
    EXPECT_EQ(Value("ARCHIVE", "SELECT A.APPLICATION FROM DOCSADM.PROFILE R JOIN DOCSADM.APPS A ON A.SYSTEM_ID = "
                               "R.APPLICATION WHERE R.DOCNUMBER = " + N(folder)),
              "FOLDER");
    EXPECT_EQ(Value("ARCHIVE", "SELECT PATH FROM DOCSADM.FOLDER WHERE DOCNUMBER = " + N(folder)), core::kProductName);
    EXPECT_EQ(Value("ARCHIVE", "SELECT DISPLAYNAME FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = " + N(folder)),
              "Matters");
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + N(folder)), 0);
    EXPECT_EQ(Trustees("ARCHIVE", folder), (std::vector<std::string>{"DOCS_SUPERVISORS:255", "JSMITH:63"}));
    EXPECT_EQ(ActivityRows("ARCHIVE", folder), 0);
    EXPECT_EQ(CountLines("Saving profile object for folder \"Matters\" in library ARCHIVE"), 2u) << LogText();
    ExpectCleanExit();

    ClearLog();
    const int64_t before = Folders("ARCHIVE");
    EXPECT_EQ(folders_->CreateFolder("Matters", 0, true, "ARCHIVE", source, "DOCS"), folder);
    EXPECT_EQ(Folders("ARCHIVE"), before);
    EXPECT_EQ(CountLines("Folder \"Matters\" already exists as item #" + N(folder) + " as a parent folder"), 1u);
    ExpectCleanExit();
}

TEST_F(CreateFolderTest, CreatesAPrivateSubfolderWithTheParentsValuesAndReusesIt) {
    StartProgram();
    const int32_t parent = archive_->CreateFolder("Clients", 0, true);
    Db("ARCHIVE").Exec("UPDATE DOCSADM.PROFILE SET FORM = 7, STORAGETYPE = 'A', PATH = '/store/clients/', "
                       "RETENTION = 30, EMAIL_SENT = '2020-01-01 00:00:00' WHERE DOCNUMBER = " + N(parent));
    const int32_t source = docs_->CreateFolder("Acme");
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET STORAGETYPE = 'K' WHERE DOCNUMBER = " + N(source));

    const int32_t folder = folders_->CreateFolder("Acme", parent, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    for (auto [column, value] : {std::pair{"FORM", "7"}, {"STORAGETYPE", "A"}, {"PATH", "/store/clients/"},
                                 {"RETENTION", "30"}, {"FULLTEXT", "Y"}, {"EMAIL_SENT", ""}, {"DOCNAME", "Acme"}}) {
        EXPECT_EQ(ProfileColumn("ARCHIVE", folder, column), value) << column;
    }
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = " + N(folder)), 0);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE NODE_TYPE = 'F' AND PARENT = " +
                                   N(parent) + " AND DOCNUMBER = " + N(folder)),
              1);
    ExpectCleanExit();

    const int64_t before = Folders("ARCHIVE");
    EXPECT_EQ(folders_->CreateFolder("Acme", parent, false, "ARCHIVE", source, "DOCS"), folder);
    EXPECT_EQ(Folders("ARCHIVE"), before);
}

TEST_F(CreateFolderTest, ApostrophesInTheNameAndInTheParentsPath) {
    StartProgram();
    const int32_t parent = docs_->CreateFolder("Clients");
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET PATH = '/store/O''Neil''s/', STORAGETYPE = 'A' WHERE DOCNUMBER = " +
                    N(parent));

    const int32_t sub = folders_->CreateFolder("O'Brien's", parent, false, "DOCS", 0, "");
    const int32_t root = folders_->CreateFolder(" Smith's ", 0, true, "DOCS", 0, "");

    ASSERT_NE(sub, 0) << LogText();
    ASSERT_NE(root, 0) << LogText();
    EXPECT_EQ(ProfileColumn("DOCS", sub, "DOCNAME"), "O'Brien's");
    EXPECT_EQ(ProfileColumn("DOCS", sub, "PATH"), "/store/O'Neil's/");
    // The name goes into the rows trimmed.
    EXPECT_EQ(ProfileColumn("DOCS", root, "DOCNAME"), "Smith's");
    EXPECT_EQ(Value("DOCS", "SELECT DISPLAYNAME FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = " + N(root)), "Smith's");

    // Both are found again by SQL.
    Faults().On(op::kLibraryGetFolder).ForDocument(parent).AnswerNothing();
    EXPECT_EQ(folders_->CreateFolder("O'Brien's", parent, false, "DOCS", 0, ""), sub);
    EXPECT_EQ(folders_->CreateFolder("Smith's", 0, true, "DOCS", 0, ""), root);
}

TEST_F(CreateFolderTest, ClearsTheDmsActivityRowsOfTheFolderWhileTheClockMoves) {
    StartProgram();
    const int32_t next = static_cast<int32_t>(Count("DOCS", "SELECT MAX(LASTKEY) FROM DOCSADM.SEQ_PROFILE")) + 1;
    // A row of that number from long ago stays.
    Db("DOCS").Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, TYPIST, START_DATE) "
                    "SELECT 90001, " + N(next) + ", 2, SYSTEM_ID, '2020-01-01 00:00:00' FROM DOCSADM.PEOPLE "
                    "WHERE USER_ID = 'DMADMIN'");
    // Every reading of the database's clock is a second later.
    emulator_->SetClock([this] {
        clock_.Advance(std::chrono::seconds(1));
        return clock_.Now();
    });

    ASSERT_EQ(folders_->CreateFolder("Moving", 0, false, "DOCS", 0, ""), next) << LogText();

    EXPECT_EQ(Value("DOCS", "SELECT GROUP_CONCAT(SYSTEM_ID) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + N(next)),
              "90001");
}

TEST_F(CreateFolderTest, AUserIdWithAnApostropheStillFindsTheActivityRows) {
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ARCHIVE").User("O'HARA", "Pat O'Hara");
    StartProgram();

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", 0, "");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Value("ARCHIVE", "SELECT P.USER_ID FROM DOCSADM.PROFILE R JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID = "
                               "R.TYPIST WHERE R.DOCNUMBER = " + N(folder)),
              "O'HARA");
    EXPECT_EQ(ActivityRows("ARCHIVE", folder), 0) << LogText();
}

TEST_F(CreateFolderTest, TheCleanUpNeverRunsInAnotherLibrary) {
    StartProgram();
    const int32_t source = docs_->CreateFolder("Matters");
    const int32_t next = static_cast<int32_t>(Count("ARCHIVE", "SELECT MAX(LASTKEY) FROM DOCSADM.SEQ_PROFILE")) + 1;
    // DOCS has a document of the number the new ARCHIVE folder gets, with a
    // row of this very moment.
    docs_->CreateFolder("Other");
    Db("DOCS").Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, TYPIST, START_DATE) "
                    "SELECT 90001, " + N(next) + ", 2, SYSTEM_ID, '2021-03-05 14:30:00' FROM DOCSADM.PEOPLE "
                    "WHERE USER_ID = 'DMADMIN'");
    // ARCHIVE cannot be connected again after the trustees were read in DOCS.
    Faults().On(op::kLibraryConnect).ForLibrary("ARCHIVE").OnCall(2).Raise(-2147221504, "DOCSObjects", "No server");
    Faults().On(op::kLibraryConnect).ForLibrary("ARCHIVE").OnCall(3).Raise(-2147221504, "DOCSObjects", "No server");

    // The folder stands but is not complete: it is not given, and the next
    // call completes it.
    EXPECT_EQ(folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS"), 0) << LogText();
    EXPECT_EQ(Faults().Fired(op::kLibraryConnect), 2);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 90001"), 1);
    ExpectCleanExit();

    EXPECT_EQ(folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS"), next) << LogText();
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 90001"), 1);
    ExpectCleanExit();
}

TEST_F(CreateFolderTest, AnOracleLibraryGetsTheCleanUpInItsDialect) {
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ORA").Engine(2);
    StartProgram();
    auto& oracle = emulator_->Oracle("ORA");
    oracle.Script("FROM DUAL", dmsim::SqlResult::Query({"T"}, {{dm::Variant("2021-03-05 14:30:00")}}));
    // The mark of the creation is written, given its ticket, and numbered.
    oracle.Script("INSERT INTO DOCSADM.ACTIVITYLOG", dmsim::SqlResult::Changed(1));
    oracle.Script("UPDATE DOCSADM.ACTIVITYLOG SET KEYSTROKES", dmsim::SqlResult::Changed(1));
    oracle.Script("UPDATE DOCSADM.ACTIVITYLOG SET DOCNUMBER", dmsim::SqlResult::Changed(1));
    oracle.Script("SELECT ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG",
                  dmsim::SqlResult::Query({"ACTIVITY_DESC"}, {{dm::Variant("Folder from #0")}}));

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ORA", 0, "");

    ASSERT_NE(folder, 0) << LogText();
    const auto& sent = oracle.Statements();
    auto sentOnce = [&](const std::string& statement) {
        return std::count(sent.begin(), sent.end(), statement) == 1;
    };
    EXPECT_TRUE(sentOnce("SELECT TO_CHAR(SYSDATE, 'YYYY-MM-DD HH24:MI:SS') FROM DUAL")) << LogText();
    EXPECT_TRUE(sentOnce("DELETE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + N(folder) +
                         " AND ACTIVITY_TYPE != 0 AND TYPIST = (SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE "
                         "USER_ID = 'DMADMIN') AND START_DATE >= TO_DATE('2021-03-05 14:30:00', "
                         "'YYYY-MM-DD HH24:MI:SS')"))
        << LogText();
    ExpectCleanExit();
}

TEST_F(CreateFolderTest, AFailedCleanUpAfterFilingStillGivesTheFolder) {
    StartProgram();
    const int32_t parent = docs_->CreateFolder("Clients");
    // The mark and the clean-up read the user id afresh; the filing between
    // them does not.
    Faults().On(op::kLibraryUserId).ForLibrary("DOCS").OnCall(3).Raise(-2147217900, "DOCSObjects", "Server gone");

    const int32_t folder = folders_->CreateFolder("Acme", parent, false, "DOCS", 0, "");

    EXPECT_EQ(Faults().Fired(op::kLibraryUserId), 1);
    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + N(parent)), 1);
    EXPECT_EQ(CountLines("Warning: Unable to clear the Activitylog entries of folder #" + N(folder)), 1u) << LogText();
    ExpectCleanExit();
}

TEST_F(CreateFolderTest, AnUnreadableSourceFolderGivesAFolderWithoutCopiedColumns) {
    StartProgram();
    const int32_t source = docs_->CreateFolder("Matters");
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET STORAGETYPE = 'K' WHERE DOCNUMBER = " + N(source));
    Faults().On(op::kLibraryGetProfile).ForLibrary("DOCS").ForDocument(source).AnswerNothing();

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(CountLines("Unable to open SyncProfile object #" + N(source) + " in library DOCS"), 1u);
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "STORAGETYPE"), "");
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DOCNAME"), "Matters");
}

TEST_F(CreateFolderTest, APrivateFolderNeedsNoRightToManageRootFolders) {
    site_.Library("DOCS").SettingsTable(true).Right("User.ManageRootFolders", false);
    site_.Library("ARCHIVE");
    StartProgram();

    EXPECT_EQ(folders_->CreateFolder("Public", 0, true, "DOCS", 0, ""), 0);
    EXPECT_NE(folders_->CreateFolder("Private", 0, false, "DOCS", 0, ""), 0);
}

// A creation that ended half-way (a run killed there, or a step refused)
// is completed by the next call for the folder: one folder in the end,
// filed where it belongs, with its public flag, the parent's values, the
// source's trustees, without the DM's own rows and without a mark.
TEST_F(CreateFolderTest, AnInterruptedCreationIsCompletedByTheNextCall) {
    struct Case {
        const char* name;
        bool underParent;
        bool isPublic;
        void (*arm)(dmsim::FaultInjector&);
        bool firstGivesIt;  // the first call answers the folder all the same
    };
    const Case cases[] = {
        {"before the DM made it", true, false,
         [](dmsim::FaultInjector& f) { f.On(op::kProfileSave).Raise(-2147217900, "DOCSObjects", "Killed"); }, false},
        {"between its save and the numbering of its mark", true, false,
         [](dmsim::FaultInjector& f) {
             f.On(op::kSqlExecute).ForStatement("UPDATE DOCSADM.ACTIVITYLOG SET DOCNUMBER").FailStatement(1205, "Killed");
             f.On(op::kFolderSave).Raise(-2147217900, "DOCSObjects", "Killed");
         },
         false},
        {"before its public flag", false, true,
         [](dmsim::FaultInjector& f) { f.On(op::kFolderSave).Raise(-2147217900, "DOCSObjects", "Killed"); }, false},
        {"before the parent's values", true, false,
         [](dmsim::FaultInjector& f) { f.On(op::kSqlExecute).ForStatement("FULLTEXT = 'Y'").FailStatement(1205, "Killed"); },
         false},
        {"before its filing", true, false,
         [](dmsim::FaultInjector& f) { f.On(op::kFolderAddFolder).Raise(-2147217900, "DOCSObjects", "Killed"); }, false},
        {"before the clean-up of its rows", false, false,
         [](dmsim::FaultInjector& f) {
             f.On(op::kSqlExecute).ForStatement("DELETE FROM DOCSADM.ACTIVITYLOG").FailStatement(1205, "Killed");
         },
         true},
    };
    StartProgram();
    const int32_t parent = archive_->CreateFolder("Clients", 0, true);
    Db("ARCHIVE").Exec("UPDATE DOCSADM.PROFILE SET STORAGETYPE = 'A' WHERE DOCNUMBER = " + N(parent));
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "Acme " + N(++index);
        const int32_t source = docs_->CreateFolder(name);
        docs_->SetTrustees(source, {dmsim::Group("DOCS_SUPERVISORS", 63)});
        const int32_t under = c.underParent ? parent : 0;
        c.arm(Faults());
        const int32_t first = folders_->CreateFolder(name, under, c.isPublic, "ARCHIVE", source, "DOCS");
        EXPECT_EQ(first != 0, c.firstGivesIt) << LogText();
        Faults().Clear();
        ClearLog();

        const int32_t folder = folders_->CreateFolder(name, under, c.isPublic, "ARCHIVE", source, "DOCS");

        ASSERT_NE(folder, 0) << LogText();
        if (first != 0) {
            EXPECT_EQ(folder, first);
        }
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE P JOIN DOCSADM.FOLDER F ON F.DOCNUMBER = "
                                   "P.DOCNUMBER WHERE P.DOCNAME = '" + name + "'"),
                  1);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE NODE_TYPE = 'F' AND DOCNUMBER = " +
                                       N(folder) + " AND PARENT = " + N(parent)),
                  c.underParent ? 1 : 0);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = " + N(folder)),
                  c.isPublic ? 1 : 0);
        if (c.underParent) {
            EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "STORAGETYPE"), "A");
        }
        EXPECT_EQ(Value("ARCHIVE", "SELECT PATH FROM DOCSADM.FOLDER WHERE DOCNUMBER = " + N(folder)), core::kProductName);
        EXPECT_EQ(Trustees("ARCHIVE", folder), (std::vector<std::string>{"DOCS_SUPERVISORS:63"}));
        EXPECT_EQ(ActivityRows("ARCHIVE", folder), 0);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0"), 0);
        ExpectCleanExit();
    }
}

// Killed after its filing, a creation leaves a folder that stands complete
// and is found in its parent; its mark goes with the next creation in the
// library.
TEST_F(CreateFolderTest, TheMarkOfAFolderFiledBeforeTheRunWasKilledGoesLater) {
    StartProgram();
    const int32_t parent = archive_->CreateFolder("Clients");
    const int32_t source = docs_->CreateFolder("Acme");
    Faults().On(op::kSqlExecute).ForStatement("DELETE FROM DOCSADM.ACTIVITYLOG").FailStatement(1205, "Killed");
    const int32_t folder = folders_->CreateFolder("Acme", parent, false, "ARCHIVE", source, "DOCS");
    ASSERT_NE(folder, 0) << LogText();
    Faults().Clear();
    const auto marks = [&] { return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0"); };
    EXPECT_EQ(marks(), 1);

    EXPECT_EQ(folders_->CreateFolder("Acme", parent, false, "ARCHIVE", source, "DOCS"), folder);
    EXPECT_NE(folders_->CreateFolder("Globex", parent, false, "ARCHIVE", docs_->CreateFolder("Globex"), "DOCS"), 0);

    EXPECT_EQ(marks(), 0);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + N(parent)), 2);
}

struct Failure {
    const char* name;
    void (*describe)(dmsim::SiteBuilder&);
    void (*arm)(dmsim::FaultInjector&);
    bool underParent;
    bool isPublic;
    const char* library;
    const char* folderName;
    const char* line;
    // Whether the folder exists afterwards, as far as it got.
    bool created;
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

void NoSiteChange(dmsim::SiteBuilder&) {}
void NoFault(dmsim::FaultInjector&) {}

class CreateFolderFailureTest : public CreateFolderTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(CreateFolderFailureTest, GivesZeroAndLeavesTheConnectionAsItWas) {
    const auto& f = GetParam();
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ARCHIVE");
    f.describe(site_);
    StartProgram();
    const int32_t parent = f.underParent ? docs_->CreateFolder("Clients") : 0;
    ClearLog();
    const int64_t before = Folders(f.library);
    f.arm(Faults());

    EXPECT_EQ(folders_->CreateFolder(f.folderName, parent, f.isPublic, f.library, 0, ""), 0);

    EXPECT_EQ(CountLines(f.line), 1u) << LogText();
    EXPECT_EQ(Folders(f.library), before + (f.created ? 1 : 0));
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CreateFolderFailureTest,
    ::testing::Values(
        Failure{"BlankName", NoSiteChange, NoFault, false, false, "DOCS", "   ", "Folder Name is not specified",
                false},
        Failure{"CreateFolderRightIsANumber",
                [](dmsim::SiteBuilder& s) { s.Library("DOCS").Right("User.CreateFolder", int32_t{1}); }, NoFault,
                false, false, "DOCS", "Acme", "Error: DMADMIN does not have rights to manage folders in library DOCS",
                false},
        Failure{"NoRightToManageRootFolders",
                [](dmsim::SiteBuilder& s) { s.Library("DOCS").Right("User.ManageRootFolders", false); }, NoFault,
                false, true, "DOCS", "Acme", "Error: DMADMIN does not have rights to manage folders in library DOCS",
                false},
        Failure{"NoRightToSaveRemotely",
                [](dmsim::SiteBuilder& s) { s.Library("DOCS").Right("User.SaveToRemoteLibrary", false); }, NoFault,
                false, false, "ARCHIVE", "Acme",
                "Error: DMADMIN does not have rights to save folders to the (remote) Library ARCHIVE from library "
                "DOCS",
                false},
        Failure{"LibraryCannotBeConnected", NoSiteChange,
                [](dmsim::FaultInjector& f) {
                    f.On(op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");
                },
                false, false, "ARCHIVE", "Acme", "Error: Unable to connect to library ARCHIVE", false},
        Failure{"NoNewFolderObject", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kLibraryNewFolder).AnswerNothing(); }, false, false, "DOCS",
                "Acme", "Error: Unable to open new folder \"Acme\" in DOCS", false},
        Failure{"NoProfileView", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kFolderAsProfile).AnswerNothing(); }, false, false, "DOCS",
                "Acme", "Warning: The profile object is no longer set - cannot continue", false},
        Failure{"NoColumns", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kColumnsCount).ForDocument(0).Answer(int32_t{0}); }, false,
                false, "DOCS", "Acme", "Warning: The profile object contains no columns - cannot continue", false},
        Failure{"ProfileNotSaved", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kProfileSave).Refuse(-2147220002, "No save"); }, false, false,
                "DOCS", "Acme", "Error: Unable to save profile object for folder \"Acme\"", false},
        Failure{"FolderSaveRefused", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kFolderSave).Refuse(-2147220003, "Folder locked"); }, false,
                false, "DOCS", "Acme", "Error: (-2147220003) - Folder locked", true},
        Failure{"FilingRefused", NoSiteChange,
                [](dmsim::FaultInjector& f) { f.On(op::kFolderAddFolder).Refuse(-2147220004, "No filing"); }, true,
                false, "DOCS", "Acme", "Error: Unable to add folder item #", true},
        // A lookup the library refused is no "not there": no folder is made
        // beside one it could not see.
        Failure{"LookupRefused", NoSiteChange,
                [](dmsim::FaultInjector& f) {
                    f.On(op::kSqlExecute).ForStatement("SELECT F.DOCNUMBER FROM DOCSADM.FOLDER F").FailStatement(
                        1205, "Chosen as deadlock victim");
                },
                false, false, "DOCS", "Acme", "Library DOCS refused a read that the folder \"Acme\" depends on",
                false},
        Failure{"MarksUnread", NoSiteChange,
                [](dmsim::FaultInjector& f) {
                    f.On(op::kSqlExecute).ForStatement("ACTIVITY_DESC LIKE 'Folder from #%'").FailStatement(
                        1205, "Chosen as deadlock victim");
                },
                false, false, "DOCS", "Acme", "Library DOCS refused a read that the folder \"Acme\" depends on",
                false},
        Failure{"RunTimeError", NoSiteChange,
                [](dmsim::FaultInjector& f) {
                    f.On(op::kProfileSave).Raise(-2147217900, "DOCSObjects", "Server gone");
                },
                false, false, "ARCHIVE", "Acme", "Error: Unable to create folder \"Acme\"", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CreateFolderTest, ARunTimeErrorIsReportedUnderTheProcedureName) {
    StartProgram();
    Faults().On(op::kProfileSave).Raise(-2147217900, "DOCSObjects", "Server gone");

    EXPECT_EQ(folders_->CreateFolder("Acme", 0, false, "ARCHIVE", 0, ""), 0);

    const std::string log = LogText();
    EXPECT_NE(log.find("CreateFolder:\nError: #-2147217900 was generated by DOCSObjects\nServer gone\n"),
              std::string::npos)
        << log;
    ExpectCleanExit();
}

// A refusal the creation goes on past is reported under the procedure's
// name too: a refused column value still gives the folder (its name comes
// by SQL); a refused folder object gives none, and the log says why.
TEST_F(CreateFolderTest, RefusalsItGoesOnPastAreReportedUnderTheProcedureName) {
    StartProgram();
    Faults().On(op::kColumnSetValue).ForName("DOCNAME").Raise(-2147217910, "DOCSObjects", "Column refused");
    const int32_t acme = folders_->CreateFolder("Acme", 0, false, "DOCS", 0, "");
    ASSERT_GT(acme, 0) << LogText();
    EXPECT_EQ(ProfileColumn("DOCS", acme, "DOCNAME"), "Acme");
    EXPECT_TRUE(LogHasReport("CreateFolder", -2147217910, "DOCSObjects", "Column refused")) << LogText();

    Faults().Clear();
    ClearLog();
    Faults().On(op::kLibraryNewFolder).Raise(-2147217911, "DOCSObjects", "No folder object");
    EXPECT_EQ(folders_->CreateFolder("Beta", 0, false, "DOCS", 0, ""), 0);
    EXPECT_TRUE(LogHasReport("CreateFolder", -2147217911, "DOCSObjects", "No folder object")) << LogText();
    EXPECT_EQ(CountLines("Error: Unable to open new folder \"Beta\" in DOCS"), 1u);
    ExpectCleanExit();
}

}  // namespace
