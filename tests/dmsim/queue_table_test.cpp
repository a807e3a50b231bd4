// The queue table as the installation creates it, and queueing documents.

#include "dmsim/queue_table.h"

#include <gtest/gtest.h>

#include "dmsim/library_db.h"
#include "emulator_fixture.h"

namespace dmsim {
namespace {

class QueueTableTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        site_.Library("DOCS");
        site_.Library("ARCHIVE");
        Open();
        db_ = &emulator_->Library("DOCS");
    }
    LibraryDb* db_ = nullptr;
};

TEST_F(QueueTableTest, InstallsTableDictionaryRowsAndIndexes) {
    EXPECT_FALSE(QueueTableExists(*db_));
    InstallQueueTable(*db_);
    ASSERT_TRUE(QueueTableExists(*db_));

    auto columns = db_->Query("SELECT COLNAME, PROMPT, CMSTYPE, COL_LENGTH, CMSKEY, CREATOR FROM DOCSCOLUMN "
                              "WHERE TBNAME = 'NEEDS_ARCHIVING' ORDER BY SYSTEM_ID");
    const char* expected[][4] = {
        {"SID", "Document Number", "4", "0"},           {"TABLE_NAME", "Source Table", "0", "32"},
        {"STATUS", "Update Status", "4", "0"},          {"LOCKED_BY", "Update User", "0", "32"},
        {"RETRY_COUNT", "Retry Count", "4", "0"},       {"DOCSTATUS", "Document Profile Status", "4", "0"},
        {"TARGET_LIBRARY", "Target Library", "0", "32"}, {"LOCK_TIME", "Lock Time", "8", "0"},
        {"LAST_UPDATE", "Last Update", "8", "0"},
    };
    ASSERT_EQ(columns.rows.size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        for (size_t k = 0; k < 4; ++k) EXPECT_EQ(AsText(columns.rows[i][k]), expected[i][k]) << i;
        EXPECT_EQ(AsText(columns.rows[i][4]), "N");
        EXPECT_EQ(AsText(columns.rows[i][5]), "DOCSADM");
    }
    EXPECT_EQ(AsText(db_->QueryValue("SELECT TBL_DESCRIPTION FROM DOCSTABLE WHERE TABLE_NAME = "
                                     "'NEEDS_ARCHIVING'")),
              "DORVANE created 03-05-2021");
    EXPECT_EQ(AsInt(db_->QueryValue("SELECT COUNT(*) FROM DOCSADM.sqlite_master WHERE type = 'index' AND "
                                    "tbl_name = 'NEEDS_ARCHIVING' AND name LIKE 'NEEDS_ARCHIVING_INDEX%'")),
              4);

    // A second installation replaces the table and its dictionary rows.
    db_->Exec("INSERT INTO NEEDS_ARCHIVING (SID) VALUES (1)");
    InstallQueueTable(*db_);
    EXPECT_EQ(AsInt(db_->QueryValue("SELECT COUNT(*) FROM NEEDS_ARCHIVING")), 0);
    EXPECT_EQ(AsInt(db_->QueryValue("SELECT COUNT(*) FROM DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'")), 9);
    EXPECT_EQ(AsInt(db_->QueryValue("SELECT COUNT(*) FROM DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING'")), 1);
}

TEST_F(QueueTableTest, QueuesAvailableDocumentsOncePerTarget) {
    InstallQueueTable(*db_);
    site_.Sql("DOCS", "INSERT INTO APPS (SYSTEM_ID, APPLICATION) VALUES (5000, 'MS WORD')");
    site_.Sql("DOCS",
              "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, APPLICATION) VALUES "
              "(5001, 1, 0, 5000), (5002, 2, 0, 5000), (5003, 3, 3, 5000), "
              "(5004, 4, 0, (SELECT SYSTEM_ID FROM APPS WHERE APPLICATION = 'FOLDER'))");
    EXPECT_EQ(QueueDocuments(*db_, "ARCHIVE", {}), 2) << "checked-out documents and folders stay out";
    EXPECT_EQ(QueueDocuments(*db_, "ARCHIVE", {}), 0) << "already queued";
    EXPECT_EQ(QueueDocuments(*db_, "ARCHIVE", {3, 4, 99}), 2) << "named documents go in as they are";
    auto rows = db_->Query("SELECT SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME FROM "
                           "NEEDS_ARCHIVING ORDER BY SID");
    ASSERT_EQ(rows.rows.size(), 4u);
    EXPECT_EQ(AsInt(rows.rows[0][0]), 1);
    EXPECT_EQ(AsInt(rows.rows[0][1]), 0);
    EXPECT_EQ(AsText(rows.rows[0][2]), "");
    EXPECT_EQ(AsInt(rows.rows[0][3]), 0);
    EXPECT_EQ(AsText(rows.rows[0][4]), "ARCHIVE");
    EXPECT_EQ(AsText(rows.rows[0][5]), "PROFILE");
}

// A queue row without a number, or a library without a folder application,
// keeps no document out.
TEST_F(QueueTableTest, QueuesPastARowWithoutANumberAndWithoutAFolderApplication) {
    InstallQueueTable(*db_);
    site_.Sql("DOCS", "DELETE FROM APPS WHERE APPLICATION = 'FOLDER'");
    site_.Sql("DOCS", "INSERT INTO APPS (SYSTEM_ID, APPLICATION) VALUES (5000, 'MS WORD')");
    site_.Sql("DOCS", "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, APPLICATION) VALUES "
                      "(5001, 1, 0, 5000), (5002, 2, 0, 5000), (5003, 3, 0, NULL)");
    site_.Sql("DOCS", "INSERT INTO NEEDS_ARCHIVING (SID, TARGET_LIBRARY) VALUES (NULL, 'ARCHIVE')");
    EXPECT_EQ(QueueDocuments(*db_, "ARCHIVE", {}), 2);
    EXPECT_EQ(QueueDocuments(*db_, "ARCHIVE", {3}), 1);
}

}  // namespace
}  // namespace dmsim
