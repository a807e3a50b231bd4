// Versions, subversions and attachments added to the new document, and the
// source's version values written over the DM's.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using dmsim::Attachment;
using dmsim::Subversion;
using dmsim::Version;
using std::to_string;

class TargetVersionsTest : public TransferTest {
protected:
    int32_t Make(std::vector<dmsim::VersionSpec> versions, const std::string& name = "Versions") {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.author = "JSMITH";
        spec.versions = std::move(versions);
        return docs_->Create(spec);
    }
};

TEST_F(TargetVersionsTest, TheVersionKindTable) {
    StartProgram();
    struct Case {
        const char* name;
        std::vector<dmsim::VersionSpec> versions;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {"version, subversion, version, attachment",
         {Version("v1"), Subversion(1, "v1A"), Version("v2"), Attachment("A", "att")},
         {"1", "1A", "2", "A"}},
        // A subversion of the second version finds it under its own label.
        {"subversion of version 2", {Version("v1"), Version("v2"), Subversion(2, "v2A")}, {"1", "2", "2A"}},
        {"three versions", {Version("v1"), Version("v2"), Version("v3")}, {"1", "2", "3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = Make(c.versions, c.name);
        ClearLog();
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(Labels("DOCS", source), c.labels);
        EXPECT_EQ(Labels("ARCHIVE", copy), c.labels);
        EXPECT_EQ(FileContents("ARCHIVE", copy), FileContents("DOCS", source));
        EXPECT_EQ(CountLines("Special processing for first item of document #" + to_string(copy)), 1u);
    }
}

TEST_F(TargetVersionsTest, AttachmentsAloneLeaveThePlaceholderAndNeedNoFixUp) {
    StartProgram();
    const int32_t source = Make({Version("v1"), Attachment("A", "att")});
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET STATUS = 4 WHERE VERSION_LABEL = '1' AND DOCNUMBER = " + to_string(source));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "A"}));
    EXPECT_EQ(FileContents("ARCHIVE", copy).back(), "att");
    EXPECT_FALSE(LogHas("Special processing for first item"));
    EXPECT_TRUE(LogHas("Skipping version 1 - Status is Unavailable"));
    EXPECT_EQ(FileContents("ARCHIVE", copy).front(), "");
}

TEST_F(TargetVersionsTest, SourceVersionValuesAreWrittenOverTheDms) {
    StartProgram();
    const int32_t source = Make({Version("v1"), Version("v2")});
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET FORCE_VERSION_RO = 1, PREV_STATUS = 2, LASTEDITDATE = "
                "'2019-04-01 08:09:10', PUBLISH_DATE = '2019-05-01 00:00:00', COMMENTS = 'Tom''s note' "
                "WHERE DOCNUMBER = " + to_string(source));
    Sql("DOCS", "UPDATE DOCSADM.COMPONENTS SET ENCRYPTION_KEY_ID = 'KEY-7' WHERE DOCNUMBER = " + to_string(source));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    auto rows = Db("ARCHIVE").Query(
        "SELECT V.FORCE_VERSION_RO, V.PREV_STATUS, V.LASTEDITDATE, V.PUBLISH_DATE, V.READONLY_DATE, "
        "C.ENCRYPTION_KEY_ID, V.COMMENTS FROM DOCSADM.VERSIONS V JOIN DOCSADM.COMPONENTS C ON C.VERSION_ID = "
        "V.VERSION_ID WHERE V.DOCNUMBER = " + to_string(copy));
    ASSERT_EQ(rows.rows.size(), 2u);
    for (auto& r : rows.rows) {
        EXPECT_EQ(dmsim::AsText(r[0]), "1");
        EXPECT_EQ(dmsim::AsText(r[1]), "2");
        EXPECT_EQ(dmsim::AsText(r[2]), "2019-04-01 08:09:10");
        EXPECT_EQ(dmsim::AsText(r[3]), "2019-05-01 00:00:00");
        EXPECT_TRUE(dmsim::IsNull(r[4]));
        EXPECT_EQ(dmsim::AsText(r[5]), "KEY-7");
        EXPECT_EQ(dmsim::AsText(r[6]), "Tom's note");
    }
}

TEST_F(TargetVersionsTest, ASubversionLabelTheDmGotWrongIsCorrected) {
    site_.Library("ARCHIVE").Right("User.MaxSubVersions", dm::Variant(int32_t{25}));
    StartProgram();
    const int32_t source = Make({Version("v1"), Subversion(1, "v1A")});
    Faults().On(dmsim::op::kSubversionLabel).ForLibrary("ARCHIVE").Answer(dm::Variant("3B"));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("Error: Version label '3B' does not match expected value '1' for subversion #"));
    EXPECT_TRUE(LogHas("Warning: the maximum subversions that DMADMIN is allowed to create in library ARCHIVE is 25"));
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "1A"}));
}

// The placeholder makes way for the first version actually created, not
// for one that failed: no empty version stands in the copy.
TEST_F(TargetVersionsTest, AFailedFirstVersionLeavesNoEmptyPlaceholderBehind) {
    StartProgram();
    const int32_t source = Make({Version("v1"), Version("v2"), Version("v3")});
    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").OnCall(1).Refuse(-2147217900, "Version refused");
    EXPECT_EQ(Transfer(source), 0);
    const int32_t copy = CopyOf(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("Error -2147217900: Unable to process version 1 for document #"));
    EXPECT_TRUE(LogHas("Unable to continue processing this version"));
    EXPECT_EQ(CountLines("Special processing for first item of document #"), 1u);
    EXPECT_EQ(FileContents("ARCHIVE", copy), (std::vector<std::string>{"v2", "v3"}));
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"2", "3"}));
}

// A version the DM client refuses with a run-time error, rather than with
// an answer, fails the document: the DM's own number and text stand in the
// log, which the profile's error fields do not carry, the half-built copy
// goes, and the next try makes the whole copy.
TEST_F(TargetVersionsTest, AVersionRefusedWithAnErrorIsLoggedWithTheDmsReport) {
    StartProgram();
    const int32_t source = Make({Version("v1"), Version("v2")});
    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").OnCall(2).Raise(-2147217901, "DOCSObjects",
                                                                                      "Disk full");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHasReport("AddTargetVersions", -2147217901, "DOCSObjects", "Disk full")) << LogText();
    EXPECT_TRUE(LogHas("Unable to process version 2 for document #"));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
    Faults().Clear();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(FileContents("ARCHIVE", copy), (std::vector<std::string>{"v1", "v2"}));
}

}  // namespace
}  // namespace transfer_test
