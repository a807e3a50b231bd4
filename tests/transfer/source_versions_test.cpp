// Which source versions are taken and where their files are read from.

#include <filesystem>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

namespace fs = std::filesystem;
using std::to_string;

class SourceVersionsTest : public TransferTest {
protected:
    // Versions 1 (good), 2 (zero bytes), 3 (file missing) and attachment A
    // stored as a ".PRN" component.
    int32_t MakeDamagedDocument() {
        dmsim::DocumentSpec spec;
        spec.name = "Damaged";
        spec.author = "JSMITH";
        spec.versions = {dmsim::Version("good"), dmsim::Version("to be emptied"), dmsim::Version("to be lost"),
                         dmsim::Attachment("A", "print", "PDF")};
        const int32_t doc = docs_->Create(spec);
        const auto paths = FilePaths("DOCS", doc);
        std::ofstream(paths[1], std::ios::trunc);
        fs::remove(paths[2]);
        std::string prn = paths[3];
        prn.replace(prn.size() - 3, 3, "PRN");
        fs::rename(paths[3], prn);
        Sql("DOCS", "UPDATE DOCSADM.COMPONENTS SET PATH = REPLACE(PATH, '.PDF', '.PRN') WHERE DOCNUMBER = " +
                        to_string(doc));
        return doc;
    }

    std::vector<std::string> TempEntries() {
        std::vector<std::string> out;
        for (auto& e : fs::directory_iterator(TempRoot())) out.push_back(e.path().filename().string());
        return out;
    }
};

TEST_F(SourceVersionsTest, MissingEmptyAndPrintFilesAreLeftOutAndCounted) {
    StartProgram();
    Window().OptionTransfer.Select();
    const int32_t source = MakeDamagedDocument();
    // Not done: the copy without two versions stays as the one to replace,
    // and the source is not marked as transferred.
    EXPECT_EQ(Transfer(source), 0);
    const int32_t copy = CopyOf(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("Error: Document #" + to_string(source) + " was copied to document #" + to_string(copy) +
                       " in library ARCHIVE without 2 of its version(s) - it will be tried again"));
    EXPECT_EQ(Column("DOCS", source, "STATUS"), "0");
    EXPECT_EQ(Labels("ARCHIVE", copy), std::vector<std::string>{"1"});
    EXPECT_EQ(FileContents("ARCHIVE", copy), std::vector<std::string>{"good"});
    EXPECT_TRUE(LogHas("is zero-bytes"));
    EXPECT_TRUE(LogHas("Error: Unable to locate the version file "));
    EXPECT_TRUE(LogHas("Warning: Not all versions of Document #" + to_string(source) +
                       " were found - will only be processing 1 of 3 versions"));
    EXPECT_EQ(Value("ARCHIVE", "SELECT ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND "
                               "DOCNUMBER = " + to_string(copy) + " AND ACTIVITY_DESC LIKE '%NOT processed.'"),
              "2 version(s) NOT processed.");
}

TEST_F(SourceVersionsTest, ADocumentWithoutTransferableVersionsFails) {
    StartProgram();
    const int32_t source = MakeDocument();
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET VERSION_LABEL = 'PR' || VERSION_LABEL WHERE DOCNUMBER = " +
                    to_string(source));
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_EQ(CountLines("Error: There are no versions that are available for Document #" + to_string(source)), 2u);
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

TEST_F(SourceVersionsTest, TheCheckoutMethodCopiesFromAFolderOfItsOwnAndCleansUp) {
    StartProgram();
    Window().CheckEncryption.SetValue(1);
    const int32_t source = MakeDocument();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(FileContents("ARCHIVE", copy), FileContents("DOCS", source));
    EXPECT_TRUE(LogHas("Checking out version 1 to " + TempRoot().string() + "/Dorvane_" + to_string(source) + "_1/"));
    EXPECT_EQ(Column("DOCS", source, "STATUS"), "0");
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT"), 0);
    EXPECT_TRUE(TempEntries().empty());
}

// A check-out that left no copy: the stored file is not what the target is
// to get, so the version counts as not processed; the copies go on every
// way out.
TEST_F(SourceVersionsTest, ACheckoutWithoutACopyIsAVersionNotProcessed) {
    StartProgram();
    Window().CheckEncryption.SetValue(1);
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kVersionCheckOut).ForLibrary("DOCS").OnCall(3).AnswerNothing();
    EXPECT_EQ(Transfer(source), 0);
    const int32_t copy = CopyOf(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "1A", "A"}));
    EXPECT_TRUE(LogHas("Error: No checked-out copy was made of version 2 of Document #" + to_string(source)));
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(copy) +
                                   " AND ACTIVITY_DESC = '1 version(s) NOT processed.'"),
              1);
    EXPECT_TRUE(TempEntries().empty());

    ClearLog();
    Faults().Clear();
    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-1, "refused");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Checking out version 1 to "));
    EXPECT_TRUE(TempEntries().empty());
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT"), 0);
}

TEST_F(SourceVersionsTest, MetadataOnlyTakesEveryListedVersionWithoutLookingAtFiles) {
    StartProgram();
    Window().CheckMetaData.SetValue(1);
    const int32_t source = MakeDamagedDocument();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_FALSE(LogHas("Confirming existence of version file"));
}

}  // namespace
}  // namespace transfer_test
