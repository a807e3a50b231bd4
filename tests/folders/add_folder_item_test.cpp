#include <gtest/gtest.h>

#include <set>
#include <string>

#include "folders_fixture.h"

namespace {

using folders_test::FoldersTest;
namespace op = dmsim::op;

class AddFolderItemTest : public FoldersTest {
protected:
    int32_t Document(const std::string& name, dmsim::DocumentMaker& maker) {
        // The documents are of an application the libraries lack at first.
        if (withApplication_.insert(maker.Library()).second) {
            site_.AddApplication(maker.Library(), "MS WORD", "Word", "DOC");
        }
        dmsim::DocumentSpec spec;
        spec.name = name;
        return maker.Create(spec);
    }

private:
    std::set<std::string> withApplication_;
};

TEST_F(AddFolderItemTest, FilesDocumentsAndSubfoldersAndOrdersTheFolder) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t bravo = Document("Bravo", *docs_);
    const int32_t alpha = Document("Alpha", *docs_);
    const int32_t charlie = docs_->CreateFolder("Charlie");

    EXPECT_TRUE(folders_->AddFolderItem(bravo, folder, "D", "DOCS", "DOCS"));
    EXPECT_TRUE(folders_->AddFolderItem(charlie, folder, "F", "DOCS", "DOCS"));
    EXPECT_TRUE(folders_->AddFolderItem(alpha, folder, "D", "DOCS", "DOCS"));

    EXPECT_EQ(ListOrder("DOCS", folder), (std::vector<std::string>{"Alpha", "Bravo", "Charlie"}));
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = " + std::to_string(folder) +
                                " AND NODE_TYPE = 'F' AND DOCNUMBER = " + std::to_string(charlie)),
              1);
    EXPECT_EQ(emulator_->Calls().Of(op::kFolderSave).size(), 3u);
    EXPECT_EQ(CountLines("Folder Item #" + std::to_string(alpha) + " successfully added to folder #" +
                         std::to_string(folder) + "."),
              1u)
        << LogText();
    ExpectCleanExit();
}

TEST_F(AddFolderItemTest, AnItemAlreadyInTheFolderIsNotFiledAgain) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document("Lease", *docs_);
    docs_->File(doc, folder);

    EXPECT_TRUE(folders_->AddFolderItem(doc, folder, "D", "DOCS", "DOCS"));

    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + std::to_string(doc)), 1);
    EXPECT_TRUE(emulator_->Calls().Of(op::kFolderSave).empty());
    EXPECT_EQ(CountLines("Folder item " + std::to_string(doc) + " already exists in folder #" +
                         std::to_string(folder) + " in folder library DOCS (Cases)"),
              1u)
        << LogText();
    ExpectCleanExit();
}

TEST_F(AddFolderItemTest, AParentOfTheSameNumberInAnotherLibraryDoesNotCount) {
    StartProgram();
    // Both libraries hand out the same first numbers.
    const int32_t docsFolder = docs_->CreateFolder("Cases");
    const int32_t archiveFolder = archive_->CreateFolder("Elsewhere");
    ASSERT_EQ(archiveFolder, docsFolder);
    const int32_t doc = Document("Lease", *docs_);
    docs_->File(doc, docsFolder);

    // Filed in DOCS's folder of that number; ARCHIVE's folder is another.
    EXPECT_TRUE(folders_->AddFolderItem(doc, archiveFolder, "D", "ARCHIVE", "DOCS"));

    EXPECT_EQ(CountLines("Folder item " + std::to_string(doc) + " already exists"), 0u) << LogText();
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + std::to_string(doc) +
                                   " AND PARENT = " + std::to_string(archiveFolder)),
              1);
    EXPECT_EQ(emulator_->Calls().Of(op::kFolderSave).size(), 1u);
    ExpectCleanExit();
}

// The right to save into a library other than the connected one is needed
// whenever the names differ, letter case included.
class RemoteRightTest : public AddFolderItemTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RemoteRightTest, IsRequiredForAnotherLibrary) {
    site_.Library("DOCS").SettingsTable(true).Right("User.SaveToRemoteLibrary", false);
    site_.Library("ARCHIVE");
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document("Lease", *docs_);

    EXPECT_FALSE(folders_->AddFolderItem(doc, folder, "D", GetParam(), "DOCS"));

    EXPECT_EQ(CountLines(std::string("Error: DMADMIN does not have rights to save folders to the (remote) Library ") +
                         GetParam() + " from library DOCS"),
              1u)
        << LogText();
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM"), 0);
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(LibraryNames, RemoteRightTest, ::testing::Values("ARCHIVE", "docs"));

TEST_F(AddFolderItemTest, ZeroNumbersAreRefusedWithoutAWord) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    // A caller's scratch objects stay as they were.
    program_->session.CurrentFolder = program_->session.ConnectedLibrary->GetFolder(folder);

    EXPECT_FALSE(folders_->AddFolderItem(0, folder, "D", "DOCS", "DOCS"));
    EXPECT_FALSE(folders_->AddFolderItem(folder, 0, "F", "DOCS", "DOCS"));

    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(program_->session.CurrentFolder);
}

struct Refusal {
    const char* name;
    const char* itemType;
    // Arms the fault for the item and the folder.
    void (*arm)(dmsim::FaultInjector&, int32_t item, int32_t folder);
    // The line that says why.
    std::string (*line)(int32_t item, int32_t folder);
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class RefusedAddTest : public AddFolderItemTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedAddTest, AnswersFalseAndReleasesTheScratchObjects) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const bool subfolder = std::string(GetParam().itemType) == "F";
    const int32_t item = subfolder ? docs_->CreateFolder("Sub") : Document("Lease", *docs_);
    GetParam().arm(Faults(), item, folder);

    EXPECT_FALSE(folders_->AddFolderItem(item, folder, GetParam().itemType, "DOCS", "DOCS"));

    EXPECT_EQ(CountLines(GetParam().line(item, folder)), 1u) << LogText();
    EXPECT_EQ(CountLines("successfully added"), 0u);
    ExpectCleanExit();
}

std::string Number(int32_t n) { return std::to_string(n); }

INSTANTIATE_TEST_SUITE_P(
    Failures, RefusedAddTest,
    ::testing::Values(
        Refusal{"DocumentRefusedWithNumber", "D",
                [](dmsim::FaultInjector& f, int32_t, int32_t folder) {
                    f.On(op::kFolderAddDocument).ForDocument(folder).Refuse(-2147220000, "No filing here");
                },
                [](int32_t item, int32_t folder) {
                    return "Error: Unable to add document #" + Number(item) + " to folder #" + Number(folder) +
                           " (Cases)";
                }},
        Refusal{"SubfolderRefusedWithoutNumber", "F",
                [](dmsim::FaultInjector& f, int32_t, int32_t folder) {
                    f.On(op::kFolderAddFolder).ForDocument(folder).Answer(false);
                },
                [](int32_t item, int32_t folder) {
                    return "Error: Unable to add folder #" + Number(item) + " to folder #" + Number(folder) +
                           " (Cases)";
                }},
        Refusal{"SaveRefusedWithNumber", "D",
                [](dmsim::FaultInjector& f, int32_t, int32_t folder) {
                    f.On(op::kFolderSave).ForDocument(folder).Refuse(-2147220001, "Folder locked");
                },
                [](int32_t, int32_t) { return std::string("Error: (-2147220001) - Folder locked"); }},
        Refusal{"SaveRefusedWithoutNumber", "D",
                [](dmsim::FaultInjector& f, int32_t, int32_t folder) {
                    f.On(op::kFolderSave).ForDocument(folder).Answer(false);
                },
                [](int32_t, int32_t) {
                    return std::string("Warning: Attempt to save folder object did not return valid response");
                }},
        Refusal{"ItemProfileMissing", "D",
                [](dmsim::FaultInjector& f, int32_t item, int32_t) {
                    f.On(op::kLibraryGetProfile).ForDocument(item).AnswerNothing();
                },
                [](int32_t item, int32_t) {
                    return "Error: Unable to open child Profile object #" + Number(item) +
                           " for AddFolderItem in library DOCS";
                }},
        Refusal{"FolderMissing", "D",
                [](dmsim::FaultInjector& f, int32_t, int32_t folder) {
                    f.On(op::kLibraryGetFolder).ForDocument(folder).AnswerNothing();
                },
                [](int32_t, int32_t folder) {
                    return "Error: Unable to open parent folder object #" + Number(folder) +
                           " for AddFolderItem in library DOCS";
                }},
        Refusal{"SubfolderObjectMissing", "F",
                [](dmsim::FaultInjector& f, int32_t item, int32_t) {
                    f.On(op::kFolderAsFolderObject).ForDocument(item).AnswerNothing();
                },
                [](int32_t, int32_t) { return std::string("Error: FolderItem object not open!"); }},
        Refusal{"DocumentObjectMissing", "D",
                [](dmsim::FaultInjector& f, int32_t item, int32_t) {
                    f.On(op::kProfileAsProfileObject).ForDocument(item).AnswerNothing();
                },
                [](int32_t, int32_t) { return std::string("Error: ProfileItem object not open!"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddFolderItemTest, ARunTimeErrorIsReportedUnderTheProcedureName) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document("Lease", *docs_);
    Faults().On(op::kFolderAddDocument).ForDocument(folder).Raise(-2147217900, "DOCSObjects", "Server gone");

    EXPECT_FALSE(folders_->AddFolderItem(doc, folder, "D", "DOCS", "DOCS"));

    const std::string log = LogText();
    EXPECT_NE(log.find("AddFolderItem:\nError: #-2147217900 was generated by DOCSObjects\nServer gone\n"
                       "Error: Adding Folder Item to folder"),
              std::string::npos)
        << log;
    EXPECT_TRUE(emulator_->Calls().Of(op::kFolderSave).empty());
    ExpectCleanExit();
}

TEST_F(AddFolderItemTest, AnItemLibraryOutsideTheSessionIsNotOpened) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document("Lease", *docs_);

    EXPECT_FALSE(folders_->AddFolderItem(doc, folder, "D", "DOCS", "NOWHERE"));
    EXPECT_EQ(CountLines("Error: Unable to open child Profile object #" + std::to_string(doc) +
                         " for AddFolderItem in library DOCS"),
              1u)
        << LogText();
}

TEST_F(AddFolderItemTest, AFailedSortStillCountsAsFiled) {
    StartProgram();
    const int32_t folder = archive_->CreateFolder("Cases");
    const int32_t doc = Document("Lease", *archive_);
    // The sort connects the folder's library, which refuses.
    Faults().On(op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");

    EXPECT_TRUE(folders_->AddFolderItem(doc, folder, "D", "ARCHIVE", "ARCHIVE"));

    EXPECT_EQ(CountLines("Error: Unable to sort the parent folder ARCHIVE"), 1u) << LogText();
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + std::to_string(doc)),
              1);
    ExpectCleanExit();
}

}  // namespace
