#include <gtest/gtest.h>

#include "folders_fixture.h"

namespace {

using dmsim::Group;
using dmsim::User;
using folders_test::FoldersTest;

struct TrusteeCase {
    const char* name;
    std::vector<dmsim::TrusteeSpec> source;
    // Also removes the source folder's own "no trustees" row.
    bool withoutRows;
    std::vector<std::string> expected;
    int defaultRights;
};

void PrintTo(const TrusteeCase& c, std::ostream* os) { *os << c.name; }

class FolderTrusteesTest : public FoldersTest, public ::testing::WithParamInterface<TrusteeCase> {
protected:
    void SetUp() override {
        CreateSite();
        // JSMITH is known in the source library only.
        site_.AddPerson("DOCS", "JSMITH", "Jane Smith", "DOCS_USERS");
        StartProgram();
    }
};

TEST_P(FolderTrusteesTest, TheNewFolderGetsTheSourceFoldersSecurity) {
    const auto& c = GetParam();
    const int32_t source = docs_->CreateFolder("Matters");
    if (!c.source.empty()) docs_->SetTrustees(source, c.source);
    if (c.withoutRows) {
        Db("DOCS").Exec("DELETE FROM DOCSADM.SECURITY WHERE THING = (SELECT SYSTEM_ID FROM DOCSADM.PROFILE "
                        "WHERE DOCNUMBER = " + std::to_string(source) + ")");
    }
    const auto sourceRows = Trustees("DOCS", source);

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Trustees("ARCHIVE", folder), c.expected) << LogText();
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DEFAULT_RIGHTS"), std::to_string(c.defaultRights));
    // Nothing is written where the trustees are read.
    EXPECT_EQ(Trustees("DOCS", source), sourceRows);
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Sources, FolderTrusteesTest,
    ::testing::Values(
        TrusteeCase{"WithoutRows", {}, true, {"0:255"}, 0},
        TrusteeCase{"OnlyTheNoTrusteesRow", {}, false, {"0:255"}, 0},
        TrusteeCase{"OnlyDocsUsers", {Group("DOCS_USERS", 63)}, false, {"0:255"}, 0},
        TrusteeCase{"DocsUsersAndAUser",
                    {Group("DOCS_USERS", 63), User("DMADMIN", 255)},
                    false,
                    {"DMADMIN:255", "DOCS_USERS:63"},
                    1},
        TrusteeCase{"AnotherGroupAlone", {Group("DOCS_SUPERVISORS", 127)}, false, {"DOCS_SUPERVISORS:127"}, 1},
        TrusteeCase{"AUserTwiceWithOtherRights",
                    {User("DMADMIN", 63), User("DMADMIN", 255)},
                    false,
                    {"DMADMIN:255", "DMADMIN:63"},
                    1},
        TrusteeCase{"AnUnknownUserAmongKnownOnes",
                    {User("JSMITH", 63), Group("DOCS_SUPERVISORS", 255)},
                    false,
                    {"DOCS_SUPERVISORS:255"},
                    1},
        // Never open to more people than the source: restricted to the
        // user who made it.
        TrusteeCase{"OnlyUnknownTrustees", {User("JSMITH", 63)}, false, {"DMADMIN:255"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A restricted source whose trustees the target does not know gives a copy
// restricted to the user who made it, naming the trustees not found; one
// whose trustees cannot be read gives no folder until they can.
TEST_F(FoldersTest, ACopyOfARestrictedFolderIsNeverOpenToEveryone) {
    CreateSite();
    site_.AddPerson("DOCS", "JSMITH", "Jane Smith", "DOCS_USERS");
    site_.AddGroup("DOCS", "LEGAL", "Legal");
    StartProgram();
    struct Case {
        const char* name;
        std::vector<dmsim::TrusteeSpec> source;
        bool unreadable;  // the read of the source's trustees fails
        std::vector<std::string> expected;
        const char* line;
    };
    const Case cases[] = {
        {"unknown", {User("JSMITH", 255), Group("LEGAL", 63)}, false, {"DMADMIN:255"},
         "not found in library ARCHIVE: user JSMITH, group LEGAL - folder #"},
        {"some unknown", {User("JSMITH", 255), Group("DOCS_SUPERVISORS", 63)}, false, {"DOCS_SUPERVISORS:63"},
         "not found in library ARCHIVE: user JSMITH - folder #"},
        // A folder whose trustees could not be read is not given; the next
        // call completes it with them.
        {"unreadable", {User("DMADMIN", 63)}, true, {"DMADMIN:63"}, "Unable to create folder \"Matters unreadable\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = docs_->CreateFolder(std::string("Matters ") + c.name);
        docs_->SetTrustees(source, c.source);
        Faults().Clear();
        if (c.unreadable) {
            Faults().On(dmsim::op::kSqlExecute).ForLibrary("DOCS").ForStatement("FROM DOCSADM.SECURITY S").FailStatement(
                1205, "deadlock victim");
        }
        ClearLog();

        int32_t folder = folders_->CreateFolder(std::string("Matters ") + c.name, 0, false, "ARCHIVE", source, "DOCS");
        if (c.unreadable) {
            EXPECT_EQ(folder, 0) << LogText();
            Faults().Clear();
            folder = folders_->CreateFolder(std::string("Matters ") + c.name, 0, false, "ARCHIVE", source, "DOCS");
        }

        ASSERT_NE(folder, 0) << LogText();
        EXPECT_EQ(Trustees("ARCHIVE", folder), c.expected) << LogText();
        EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DEFAULT_RIGHTS"), "1");
        EXPECT_EQ(CountLines(c.line), 1u) << LogText();
        ExpectCleanExit();
    }
}

TEST_F(FoldersTest, TrusteesAreMatchedByIdsWithApostrophes) {
    CreateSite();
    site_.AddPerson("DOCS", "D'ARCY", "Dee Arcy", "DOCS_USERS");
    site_.AddPerson("ARCHIVE", "D'ARCY", "Dee Arcy", "DOCS_USERS");
    site_.AddGroup("DOCS", "O'NEIL'S", "Team");
    site_.AddGroup("ARCHIVE", "O'NEIL'S", "Team");
    StartProgram();
    const int32_t source = docs_->CreateFolder("Matters");
    docs_->SetTrustees(source, {User("D'ARCY", 63), Group("O'NEIL'S", 127)});

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Trustees("ARCHIVE", folder), (std::vector<std::string>{"D'ARCY:63", "O'NEIL'S:127"})) << LogText();
    EXPECT_EQ(ProfileColumn("ARCHIVE", folder, "DEFAULT_RIGHTS"), "1");
    EXPECT_EQ(CountLines("2 Trustee(s) found for Folder #" + std::to_string(folder)), 1u);
    EXPECT_EQ(CountLines("2 Trustee(s) added for document " + std::to_string(folder)), 1u) << LogText();
}

TEST_F(FoldersTest, RightsThatAreNoNumberNeverReachTheStatement) {
    StartProgram();
    const int32_t source = docs_->CreateFolder("Matters");
    docs_->SetTrustees(source, {User("DMADMIN", 63), Group("DOCS_SUPERVISORS", 255)});
    Db("DOCS").Exec("UPDATE DOCSADM.SECURITY SET ACCESSRIGHTS = NULL WHERE ACCESSRIGHTS = 63");

    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", source, "DOCS");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Trustees("ARCHIVE", folder), (std::vector<std::string>{"DOCS_SUPERVISORS:255"}));
    EXPECT_EQ(CountLines("Warning: Unable to add user DMADMIN - access rights '' are not a number"), 1u) << LogText();
    EXPECT_EQ(CountLines("SQL Error"), 0u);
}

TEST_F(FoldersTest, WithoutASourceTheFolderKeepsTheSecurityTheDmGaveIt) {
    StartProgram();
    const int32_t folder = folders_->CreateFolder("Matters", 0, false, "ARCHIVE", 0, "");

    ASSERT_NE(folder, 0) << LogText();
    EXPECT_EQ(Trustees("ARCHIVE", folder), (std::vector<std::string>{"0:255"}));
    EXPECT_EQ(CountLines("Trustee(s) found"), 0u);
    EXPECT_EQ(CountLines("Connecting to library DOCS"), 1u) << "only the way back";
}

}  // namespace
