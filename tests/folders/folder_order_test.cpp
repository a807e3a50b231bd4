#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "folders_fixture.h"

namespace {

using folders_test::FoldersTest;

class FolderOrderTest : public FoldersTest {
protected:
    void StartWithDocuments() {
        StartProgram();
        site_.AddApplication("DOCS", "MS WORD", "Word", "DOC");
    }

    // A folder holding documents filed in the order given (so linked in
    // that order, not by name).
    int32_t FolderWith(const std::vector<std::string>& names, const std::string& folderName = "Cases") {
        const int32_t folder = docs_->CreateFolder(folderName);
        for (const auto& name : names) {
            dmsim::DocumentSpec spec;
            spec.name = name;
            docs_->File(docs_->Create(spec), folder);
        }
        return folder;
    }

    size_t Updates() { return CountLines("UPDATE DOCSADM.FOLDER_ITEM SET"); }

    // Every row of the folder is on the list: one head, the last pointing
    // nowhere, no link to a row that is not there.
    void ExpectWellLinked(int32_t folder, const std::vector<std::string>& order) {
        const std::string parent = " WHERE PARENT = " + std::to_string(folder);
        EXPECT_EQ(ListOrder("DOCS", folder), order);
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM" + parent + " AND ISFIRST = 'Y'"),
                  order.empty() ? 0 : 1);
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM" + parent + " AND \"NEXT\" = 0"),
                  order.empty() ? 0 : 1);
    }
};

TEST_F(FolderOrderTest, RelinksAScrambledFolderByDisplayNameChangingOnlyWrongRows) {
    StartWithDocuments();
    const int32_t folder = FolderWith({"Bravo", "Alpha", "Charlie"});
    ASSERT_EQ(ListOrder("DOCS", folder), (std::vector<std::string>{"Bravo", "Alpha", "Charlie"}));

    EXPECT_TRUE(folders_->SortFolders(folder, "DOCS"));

    ExpectWellLinked(folder, {"Alpha", "Bravo", "Charlie"});
    // Alpha and Bravo change; Charlie was already last.
    EXPECT_EQ(Updates(), 2u) << LogText();
    EXPECT_EQ(CountLines("1 folder(s) will be sorted"), 1u);
    EXPECT_EQ(CountLines("3 items in folder need sorting"), 1u);
    EXPECT_EQ(CountLines("Folder needed sorting"), 1u);
    EXPECT_EQ(CountLines("Finished sorting 1 folder(s)"), 1u);
    ExpectCleanExit();
}

TEST_F(FolderOrderTest, AnOrderedFolderIsReadAndLeftAlone) {
    StartWithDocuments();
    const int32_t folder = FolderWith({"Bravo", "Alpha", "Charlie"});
    ASSERT_TRUE(folders_->SortFolders(folder, "DOCS"));
    ClearLog();

    EXPECT_TRUE(folders_->SortFolders(folder, "DOCS"));

    EXPECT_EQ(Updates(), 0u) << LogText();
    EXPECT_EQ(CountLines("Folder was already sorted"), 1u);
    ExpectWellLinked(folder, {"Alpha", "Bravo", "Charlie"});
}

// A removal deletes an item's row and then orders the folder: the rows left
// must form a list again, also when the head or the tail went.
struct RemovedItemCase {
    const char* name;
    std::vector<std::string> filed;
    std::string removed;
    std::vector<std::string> left;
};

void PrintTo(const RemovedItemCase& c, std::ostream* os) { *os << c.name; }

class FolderOrderAfterRemovalTest : public FolderOrderTest,
                                    public ::testing::WithParamInterface<RemovedItemCase> {};

TEST_P(FolderOrderAfterRemovalTest, RowsLeftAreLinkedAgain) {
    StartWithDocuments();
    const auto& c = GetParam();
    const int32_t folder = FolderWith(c.filed);
    ASSERT_TRUE(folders_->SortFolders(folder, "DOCS"));
    Db("DOCS").Exec("DELETE FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + std::to_string(folder) +
                    " AND DISPLAYNAME = '" + c.removed + "'");

    EXPECT_TRUE(folders_->SortFolders(folder, "DOCS"));

    ExpectWellLinked(folder, c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Removals, FolderOrderAfterRemovalTest,
    ::testing::Values(RemovedItemCase{"HeadOfTwo", {"Alpha", "Bravo"}, "Alpha", {"Bravo"}},
                      RemovedItemCase{"TailOfTwo", {"Alpha", "Bravo"}, "Bravo", {"Alpha"}},
                      RemovedItemCase{"HeadOfThree", {"Alpha", "Bravo", "Charlie"}, "Alpha", {"Bravo", "Charlie"}},
                      RemovedItemCase{"MiddleOfThree", {"Alpha", "Bravo", "Charlie"}, "Bravo", {"Alpha", "Charlie"}}),
    [](const ::testing::TestParamInfo<RemovedItemCase>& info) { return std::string(info.param.name); });

TEST_F(FolderOrderTest, ParentZeroOrdersEveryFolderOfTheLibrary) {
    StartWithDocuments();
    const int32_t cases = FolderWith({"Bravo", "Alpha"}, "Cases");
    const int32_t deals = FolderWith({"Zulu", "Yankee", "Xray"}, "Deals");

    EXPECT_TRUE(folders_->SortFolders(0, "DOCS"));

    ExpectWellLinked(cases, {"Alpha", "Bravo"});
    ExpectWellLinked(deals, {"Xray", "Yankee", "Zulu"});
    EXPECT_EQ(CountLines("2 folder(s) will be sorted"), 1u) << LogText();
}

TEST_F(FolderOrderTest, AnEmptyFolderHasNothingToSortAndTheCallerKeepsItsLibrary) {
    StartWithDocuments();
    const int32_t folder = docs_->CreateFolder("Empty");
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    ClearLog();

    EXPECT_FALSE(folders_->SortFolders(folder, "DOCS"));

    EXPECT_EQ(CountLines("Nothing to sort"), 1u) << LogText();
    ExpectCleanExit("ARCHIVE");
}

TEST_F(FolderOrderTest, ALibraryThatCannotBeConnectedIsAFailure) {
    StartWithDocuments();
    const int32_t folder = FolderWith({"Bravo", "Alpha"});
    Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");

    EXPECT_FALSE(folders_->SortFolders(folder, "ARCHIVE"));

    EXPECT_EQ(CountLines("Error: Unable to connect to library ARCHIVE"), 1u) << LogText();
    EXPECT_EQ(ListOrder("DOCS", folder), (std::vector<std::string>{"Bravo", "Alpha"}));
    ExpectCleanExit();
}

}  // namespace
