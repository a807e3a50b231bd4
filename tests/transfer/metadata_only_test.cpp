// "Process metadata only": version rows that name the source's files.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class MetadataOnlyTest : public TransferTest {
protected:
    void StartMetadataOnly() {
        StartProgram();
        Window().CheckMetaData.SetValue(1);
    }
};

TEST_F(MetadataOnlyTest, VersionRowsPointAtTheSourcesFiles) {
    StartMetadataOnly();
    const int32_t source = MakeDocument();
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET COMMENTS = 'it''s final' WHERE DOCNUMBER = " + to_string(source));
    const auto placeholderFolder = Db("ARCHIVE").DocServerDir();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Labels("ARCHIVE", copy), Labels("DOCS", source));
    EXPECT_EQ(FilePaths("ARCHIVE", copy), FilePaths("DOCS", source));
    EXPECT_EQ(FileContents("ARCHIVE", copy), FileContents("DOCS", source));
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(DISTINCT VERSION_ID) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " +
                                   to_string(copy)),
              4);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE COMMENTS = 'it''s final' AND DOCNUMBER = " +
                                   to_string(copy)),
              4);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE PUBLISH_DATE IS NULL AND DOCNUMBER = " +
                                   to_string(copy)),
              4);
    // The placeholder and its file are gone; the archive holds no file.
    std::vector<std::filesystem::path> files;
    for (auto& e : std::filesystem::recursive_directory_iterator(placeholderFolder)) {
        if (e.is_regular_file()) files.push_back(e.path());
    }
    EXPECT_TRUE(files.empty());
}

// A version whose people the target does not know is written with the
// program's user rather than lost with its file row left behind.
TEST_F(MetadataOnlyTest, AnUnknownAuthorFallsBackToTheProgramsUser) {
    StartMetadataOnly();
    site_.AddPerson("DOCS", "OUTSIDER", "Not in the archive", "DOCS_USERS");
    dmsim::DocumentSpec spec;
    spec.name = "Outside work";
    spec.author = "JSMITH";
    spec.versions = {dmsim::Version("v1"), dmsim::Version("v2")};
    const int32_t source = docs_->Create(spec);
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET AUTHOR = (SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = "
                "'OUTSIDER') WHERE DOCNUMBER = " + to_string(source));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.COMPONENTS C WHERE NOT EXISTS (SELECT 1 FROM "
                               "DOCSADM.VERSIONS V WHERE V.VERSION_ID = C.VERSION_ID)"),
              0);
    EXPECT_EQ(Value("ARCHIVE", "SELECT DISTINCT P.USER_ID FROM DOCSADM.VERSIONS V JOIN DOCSADM.PEOPLE P ON "
                               "P.SYSTEM_ID = V.AUTHOR WHERE V.DOCNUMBER = " + to_string(copy)),
              "DMADMIN");
    EXPECT_TRUE(LogHas("Warning: user 'OUTSIDER' is not known in library ARCHIVE"));
}

// A version row that the target took without writing it is no version of
// the copy: the copy is recorded as one that lacks it, and tried again.
TEST_F(MetadataOnlyTest, AVersionRowThatWroteNothingLeavesTheCopyIncomplete) {
    StartMetadataOnly();
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement("INSERT INTO DOCSADM.VERSIONS").OnCall(2)
        .AnswerNothing();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("without 1 of its version(s) - it will be tried again")) << LogText();
    const int32_t copy = CopyOf(source);
    ASSERT_GT(copy, 0);
    EXPECT_EQ(Labels("ARCHIVE", copy).size(), 3u);
    // No file row stands for the version that is not there.
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.COMPONENTS C WHERE NOT EXISTS (SELECT 1 FROM "
                               "DOCSADM.VERSIONS V WHERE V.VERSION_ID = C.VERSION_ID)"),
              0);
}

TEST_F(MetadataOnlyTest, AnOwnerKeyOfOneOrLessIsDrawnAgainWithoutTheOwner) {
    StartMetadataOnly();
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kSqlGetNextKey).ForName("DOCSADM.VERSIONS").Answer(dm::Variant(int32_t{1}));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(DISTINCT VERSION_ID) FROM DOCSADM.VERSIONS WHERE VERSION_ID > 1 AND "
                               "DOCNUMBER = " + to_string(copy)),
              4);
}

}  // namespace
}  // namespace transfer_test
