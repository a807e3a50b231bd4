// The activity-log entries that record a copy, transfer or move.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using transfer::AddActivityLogEntry;

class ActivityLogEntryTest : public TransferTest {
protected:
    struct Entry {
        std::string description;
        std::string type;
        std::string refDocument;
        std::string refLibrary;
        std::string typist;
    };
    std::vector<Entry> Entries(const std::string& library, int32_t doc) {
        auto rows = Db(library).Query(
            "SELECT A.ACTIVITY_DESC, A.ACTIVITY_TYPE, A.REF_DOCUMENT, A.REF_LIBRARY, P.USER_ID FROM "
            "DOCSADM.ACTIVITYLOG A LEFT JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID = A.TYPIST WHERE A.DOCNUMBER = " +
            std::to_string(doc) + " ORDER BY A.SYSTEM_ID");
        std::vector<Entry> out;
        auto text = [](const dmsim::SqlValue& v) { return dmsim::IsNull(v) ? std::string() : dmsim::AsText(v); };
        for (auto& r : rows.rows) out.push_back({text(r[0]), text(r[1]), text(r[2]), text(r[3]), text(r[4])});
        return out;
    }
    std::string RemoteId(const std::string& library, const std::string& name) {
        return Value(library, "SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + name + "'");
    }
};

TEST_F(ActivityLogEntryTest, WritesOneEntryAndComesBackToTheConnectedLibrary) {
    StartProgram();
    EXPECT_TRUE(AddActivityLogEntry(*program_, "ARCHIVE", "DOCS", 77, 5, transfer::kActivityTransferredIn,
                                    "Transferred from DOCS"));
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    auto entries = Entries("ARCHIVE", 77);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].description, "Transferred from DOCS");
    EXPECT_EQ(entries[0].type, "24");
    EXPECT_EQ(entries[0].refDocument, "5");
    EXPECT_EQ(entries[0].refLibrary, RemoteId("ARCHIVE", "DOCS"));
    EXPECT_EQ(entries[0].typist, "DMADMIN");
    EXPECT_EQ(Value("ARCHIVE", "SELECT START_DATE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 77"),
              "2021-03-05 14:30:00");

    // The library itself is 0; one REMOTE_LIBRARIES does not list is 0 too,
    // with a warning.
    EXPECT_TRUE(AddActivityLogEntry(*program_, "ARCHIVE", "ARCHIVE", 78, 5, 0, "Copied to #5"));
    EXPECT_TRUE(AddActivityLogEntry(*program_, "ARCHIVE", "NOWHERE", 79, 5, 0, "Copied to #5"));
    EXPECT_EQ(Entries("ARCHIVE", 78)[0].refLibrary, "0");
    EXPECT_EQ(Entries("ARCHIVE", 79)[0].refLibrary, "0");
    EXPECT_TRUE(LogHas("Warning: Unable to identify the Ref_Library for this Activitylog transaction"));
}

TEST_F(ActivityLogEntryTest, LongDescriptionsAreCutToTheColumnsWidth) {
    StartProgram();
    const std::string twenty = " exactly twenty   x ";
    const std::string eighty = std::string(58, 'a') + "  " + std::string(20, 'b');
    AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", 1, 2, 0, twenty);
    AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", 2, 2, 0, eighty);
    AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", 3, 2, 0, "It's O'Brien's copy, #DESC#");
    EXPECT_EQ(Entries("DOCS", 1)[0].description, "exactly twenty   x");
    EXPECT_EQ(Entries("DOCS", 2)[0].description, std::string(58, 'a'));
    EXPECT_EQ(Entries("DOCS", 3)[0].description, "It's O'Brien's copy, #DESC#");
}

TEST_F(ActivityLogEntryTest, OlderEntriesOfAKindGoUnlessAllAuditsAreKept) {
    StartProgram();
    for (int keep : {0, 1}) {
        Window().CheckAllAudits.SetValue(keep);
        const int32_t doc = 100 + keep;
        AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", doc, 50001, 0, "Copied to #50001");
        AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", doc, 50002, 0, "Copied to #50002");
        AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", doc, 50002, 25, "Transferred to ARCHIVE");
        EXPECT_EQ(Entries("DOCS", doc).size(), keep ? 3u : 2u);
        EXPECT_EQ(Entries("DOCS", doc)[keep ? 1 : 0].refDocument, "50002");
    }
}

// The older entry goes only once the new one can be written.
TEST_F(ActivityLogEntryTest, WithoutAKeyTheOlderEntryStays) {
    StartProgram();
    AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", 5, 50001, 0, "Copied to #50001");
    Faults().On(dmsim::op::kSqlGetNextKey).ForName("SYSTEMKEY").Answer(dm::Variant(int32_t{0}));
    EXPECT_FALSE(AddActivityLogEntry(*program_, "DOCS", "ARCHIVE", 5, 50002, 0, "Copied to #50002"));
    auto entries = Entries("DOCS", 5);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].refDocument, "50001");
    EXPECT_TRUE(LogHas("Error: Unable to retrieve System_ID for inserting new row - cannot continue."));
}

TEST_F(ActivityLogEntryTest, AnUnreachableLibraryGetsNoEntry) {
    StartProgram();
    Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");
    EXPECT_FALSE(AddActivityLogEntry(*program_, "ARCHIVE", "DOCS", 5, 1, 24, "Transferred from DOCS"));
    EXPECT_TRUE(LogHas("Error: unable to connect to library ARCHIVE"));
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    Faults().Clear();
    EXPECT_TRUE(Entries("ARCHIVE", 5).empty());
    EXPECT_TRUE(Entries("DOCS", 5).empty());
}

}  // namespace
}  // namespace transfer_test
