// Key counters of a library: shared by the SQL object and the emulator's own
// rows, never reused.

#include "dmsim/library_db.h"

#include <gtest/gtest.h>

#include "emulator_fixture.h"

namespace dmsim {
namespace {

class LibraryDbTest : public fixture::EmulatorTest {
protected:
    void SetUp() override { Open(); }
};

TEST_F(LibraryDbTest, SystemKeysRiseAboveEveryIdInUse) {
    auto sql = Sql("DOCS");
    LibraryDb& db = emulator_->Library("DOCS");
    int64_t highest = AsInt(db.QueryValue("SELECT MAX(SYSTEM_ID) FROM DOCSCOLUMN"));
    int32_t first = sql->GetNextKey("SYSTEMKEY");
    EXPECT_GT(first, highest);
    int32_t person = site_.AddPerson("DOCS", "KEYUSER", "Key User", "DOCS_USERS");
    EXPECT_GT(person, first) << "the emulator's own rows draw from the same counter";
    EXPECT_GT(sql->GetNextKey("systemkey"), person);

    site_.Sql("DOCS", "INSERT INTO ACTIVITYLOG (SYSTEM_ID, DOCNUMBER) VALUES (90000, 1)");
    EXPECT_GT(sql->GetNextKey("SYSTEMKEY"), 90000) << "ids written by fixtures are skipped";
}

TEST_F(LibraryDbTest, BothVersionKeyNamesShareOneCounter) {
    auto sql = Sql("DOCS");
    int32_t a = sql->GetNextKey("DOCSADM.VERSIONS");
    int32_t b = sql->GetNextKey("VERSIONS");
    int32_t c = sql->GetNextKey("docsadm.versions");
    EXPECT_GT(a, 0);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_EQ(sql->GetNextKey("OTHER.VERSIONS"), 0);
    EXPECT_EQ(sql->GetNextKey("SEQ_PROFILE"), 0);
}

TEST_F(LibraryDbTest, DrawingAKeyLeavesTheHeldResult) {
    auto sql = Sql("DOCS");
    ASSERT_EQ(sql->Execute("SELECT TABLE_NAME FROM DOCSADM.DOCSTABLE ORDER BY TABLE_NAME"), 0);
    int32_t rows = sql->RowCount();
    dm::Variant first = sql->ColumnValue(1);
    sql->GetNextKey("SYSTEMKEY");
    EXPECT_EQ(sql->RowCount(), rows);
    EXPECT_EQ(sql->ColumnValue(1), first);
}

TEST_F(LibraryDbTest, EmulatorWorkInsideTheProgramsTransactionIsUndoneAlone) {
    auto sql = Sql("DOCS");
    LibraryDb& db = emulator_->Library("DOCS");
    ASSERT_EQ(sql->Execute("BEGIN TRANSACTION"), 0);
    ASSERT_EQ(sql->Execute("UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = 5"), 0);
    EXPECT_THROW(db.InTransaction([&] {
        db.Exec("UPDATE SEQ_PROFILE SET LASTKEY = 9");
        throw std::runtime_error("refused");
    }),
                 std::runtime_error);
    ASSERT_EQ(sql->Execute("COMMIT TRANSACTION"), 0);
    EXPECT_EQ(AsInt(db.QueryValue("SELECT LASTKEY FROM SEQ_PROFILE")), 5);
}

TEST(LibraryDbUnbound, AnUnboundSqlObjectHasNoKeys) {
    test_support::TempDir dir;
    SiteBuilder site(dir.path());
    site.Library("DOCS");
    site.Create();
    Emulator emulator(dir.path());
    EXPECT_EQ(emulator.Factory()->CreateSql(dm::kSqlProgId)->GetNextKey("SYSTEMKEY"), 0);
}

}  // namespace
}  // namespace dmsim
