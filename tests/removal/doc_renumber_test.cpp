#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "removal_fixture.h"

namespace {

using removal_test::RemovalTest;

class DocRenumberTest : public RemovalTest {
protected:
    int64_t RowsUnder(int32_t number) {
        const std::string n = std::to_string(number);
        int64_t rows = 0;
        for (const char* table : {"PROFILE", "VERSIONS", "COMPONENTS", "ACTIVITYLOG", "FOLDER_ITEM"}) {
            rows += Count("DOCS", std::string("SELECT COUNT(*) FROM DOCSADM.") + table + " WHERE DOCNUMBER = " + n);
        }
        return rows;
    }

    std::string NameOf(int32_t number) {
        return Value("DOCS", "SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(number));
    }
};

// What stands under the wanted number before the move.
struct RenumberCase {
    const char* name;
    bool taken;           // a document holds the wanted number
    bool mayDelete;       // the user holds "User.DocDelete"
    bool metadataOnly;    // "Process metadata only" is checked
    bool moved;
    bool holderFilesKept;
};

void PrintTo(const RenumberCase& c, std::ostream* os) { *os << c.name; }

class RenumberTableTest : public DocRenumberTest, public ::testing::WithParamInterface<RenumberCase> {};

TEST_P(RenumberTableTest, MovesTheDocumentOnlyWhenTheWantedNumberCanBeCleared) {
    const auto& c = GetParam();
    site_.Library("DOCS").SettingsTable(true).Right("User.DocDelete", c.mayDelete);
    site_.Library("ARCHIVE");
    StartProgram();
    const int32_t holder = c.taken ? Document(*docs_, "Holder", {dmsim::Version("held")}) : 900;
    const auto holderFiles = c.taken ? Files("DOCS", holder) : std::vector<std::string>{};
    const int32_t folder = docs_->CreateFolder("Cases");
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("one"), dmsim::Version("two")}, {folder});
    const int64_t rows = RowsUnder(doc);
    window_->CheckMetaData.SetValue(c.metadataOnly ? 1 : 0);

    EXPECT_EQ(removal_->ChangeDocNumber(doc, holder), c.moved) << LogText();

    for (const auto& f : holderFiles) EXPECT_EQ(Exists(f), c.holderFilesKept) << f;
    if (c.moved) {
        EXPECT_EQ(NameOf(holder), "Lease");
        EXPECT_EQ(RowsUnder(holder), rows);
        EXPECT_EQ(RowsUnder(doc), 0);
        // The DM finds the document, its versions and files under the new number.
        auto profile = program_->session.ConnectedLibrary->GetProfile(holder);
        ASSERT_TRUE(profile);
        ASSERT_EQ(profile->Versions()->Count(), 2);
        EXPECT_TRUE(Exists(profile->Versions()->Item(2)->FilePath()));
        EXPECT_FALSE(program_->session.ConnectedLibrary->GetProfile(doc));
        EXPECT_EQ(ListOrder("DOCS", folder), (std::vector<std::string>{"Lease"}));
    } else {
        EXPECT_EQ(NameOf(doc), "Lease");
        EXPECT_EQ(RowsUnder(doc), rows);
        if (c.taken) {
            EXPECT_EQ(NameOf(holder), "Holder");
        }
    }
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenumberTableTest,
    ::testing::Values(RenumberCase{"FreeNumber", false, true, false, true, false},
                      RenumberCase{"TakenNumber", true, true, false, true, false},
                      RenumberCase{"TakenNumberMetadataOnly", true, true, true, true, true},
                      RenumberCase{"TakenNumberWithoutTheRight", true, false, false, false, true},
                      RenumberCase{"FreeNumberWithoutTheRight", false, false, false, false, false}),
    [](const ::testing::TestParamInfo<RenumberCase>& info) { return std::string(info.param.name); });

TEST_F(DocRenumberTest, NumbersThatCannotBeMovedChangeNothing) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease");
    ClearLog();

    for (auto [current, wanted] : {std::pair{0, 900}, std::pair{doc, 0}, std::pair{doc, doc}, std::pair{doc, -900}}) {
        EXPECT_FALSE(removal_->ChangeDocNumber(current, wanted)) << current << " to " << wanted;
    }

    EXPECT_TRUE(LogLines().empty()) << LogText();
    EXPECT_EQ(NameOf(doc), "Lease");
}

// Rows left under the free number by an earlier document still go; tables
// without a row under either number are not touched.
TEST_F(DocRenumberTest, LeftoversUnderAFreeNumberGoAndEmptyTablesAreLeftAlone) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("one")});
    Db("DOCS").Exec("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE) VALUES (880010, 900, 6)");
    Db("DOCS").Exec("INSERT INTO DOCSADM.RELATED (ITEM1, ITEM2, REMOTE_LIBRARY) VALUES (12345, 900, 0)");
    Db("DOCS").Exec("INSERT INTO DOCSADM.RELATED (ITEM1, ITEM2, REMOTE_LIBRARY) VALUES (" + std::to_string(doc) +
                    ", 777, 0)");
    const int64_t rows = RowsUnder(doc);
    ClearLog();

    EXPECT_TRUE(removal_->ChangeDocNumber(doc, 900)) << LogText();

    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 880010"), 0);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ITEM2 = 900"), 0);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ITEM1 = 900 AND ITEM2 = 777"), 1);
    EXPECT_EQ(NameOf(900), "Lease");
    EXPECT_EQ(RowsUnder(900), rows);
    EXPECT_EQ(RowsUnder(doc), 0);
    const std::string log = LogText();
    for (const char* untouched : {"DOCSADM.ROOT_OBJECT SET", "DELETE FROM DOCSADM.ROOT_OBJECT",
                                  "DOCSADM.NEEDS_INDEXING SET", "DOCSADM.PROJECT SET", "DOCSADM.FOLDER SET"}) {
        EXPECT_EQ(log.find(untouched), std::string::npos) << untouched;
    }
}

TEST_F(DocRenumberTest, AFolderKeepsItsItemsFromEveryLibrary) {
    StartProgram();
    const int32_t folder = docs_->CreateFolder("Cases");
    Document(*docs_, "Local", {dmsim::Version("x")}, {folder});
    const std::string archive =
        Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'");
    // An ARCHIVE document filed in the folder, and a link of a folder of
    // ARCHIVE that happens to bear the same number.
    Db("DOCS").Exec("INSERT INTO DOCSADM.FOLDER_ITEM (SYSTEM_ID, PARENT, PARENT_LIBRARY, DOCNUMBER, LIBRARY, "
                    "DISPLAYNAME, \"NEXT\", ISFIRST) VALUES (880001, " + std::to_string(folder) + ", 0, 501, " +
                    archive + ", 'Remote', 0, 'N')");
    Db("DOCS").Exec("INSERT INTO DOCSADM.FOLDER_ITEM (SYSTEM_ID, PARENT, PARENT_LIBRARY, DOCNUMBER, LIBRARY, "
                    "DISPLAYNAME, \"NEXT\", ISFIRST) VALUES (880002, " + std::to_string(folder) + ", " + archive +
                    ", 502, 0, 'Elsewhere', 0, 'Y')");

    EXPECT_TRUE(removal_->ChangeDocNumber(folder, 900));

    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE PARENT = 900"), 2);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE SYSTEM_ID = 880002 AND PARENT = " +
                                std::to_string(folder)),
              1);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.FOLDER WHERE DOCNUMBER = 900"), 1);
}

TEST_F(DocRenumberTest, QueueRowsOfBothNumbersGo) {
    StartProgram(/*queueTable=*/true);
    const int32_t other = Document(*docs_, "Other");
    const int32_t doc = Document(*docs_, "Lease");
    const int32_t holder = Document(*docs_, "Holder");
    ASSERT_EQ(dmsim::QueueDocuments(Db("DOCS"), "ARCHIVE", {other, doc, holder}), 3);

    EXPECT_TRUE(removal_->ChangeDocNumber(doc, holder));

    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 1);
    EXPECT_EQ(Count("DOCS", "SELECT SID FROM DOCSADM.NEEDS_ARCHIVING"), other);
}

}  // namespace
