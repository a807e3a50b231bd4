// A fresh library: schema, data dictionary and starting rows as a DM
// library has them.

#include "dmsim/library_setup.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "dmsim/library_db.h"
#include "dmsim/library_schema.h"
#include "emulator_fixture.h"

namespace dmsim {
namespace {

class LibrarySetupTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").SettingsTable().User("JDOE", "Jane Doe").PrimaryGroup("LAWYERS");
        site_.Library("Archive")
            .Owner("ARCHADM")
            .Engine(kEngineSybase)
            .LastDocNumber(700)
            .WithoutColumn(OptionalColumn::SecurityLink)
            .WithoutColumn(OptionalColumn::ItemType);
        Open();
    }

    std::set<std::string> TableColumns(LibraryDb& db, const std::string& table) {
        std::set<std::string> columns;
        for (const auto& row : db.Query("PRAGMA " + db.Owner() + ".table_info(" + table + ")").rows) {
            columns.insert(AsText(row[1]));
        }
        return columns;
    }
};

TEST_F(LibrarySetupTest, DictionaryDescribesEveryTableAndColumnTruthfully) {
    for (const char* library : {"DOCS", "ARCHIVE"}) {
        LibraryDb& db = emulator_->Library(library);
        auto tables = db.Query("SELECT name FROM " + db.Owner() +
                               ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'DMSIM\\_%' ESCAPE '\\'");
        ASSERT_FALSE(tables.rows.empty());
        for (const auto& row : tables.rows) {
            std::string table = AsText(row[0]);
            EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(*) FROM DOCSTABLE WHERE TABLE_NAME = ?", {table})), 1)
                << table;
            std::set<std::string> described;
            for (const auto& c : db.Query("SELECT COLNAME FROM DOCSCOLUMN WHERE TBNAME = ?", {table}).rows) {
                described.insert(AsText(c[0]));
            }
            EXPECT_EQ(described, TableColumns(db, table)) << library << "." << table;
        }
    }
}

TEST_F(LibrarySetupTest, DictionaryRowsTheProgramReads) {
    LibraryDb& db = emulator_->Library("DOCS");
    auto row = [&](const std::string& table, const std::string& column) {
        auto rows = db.Query("SELECT CMSKEY, CMSTYPE, COL_LENGTH, FTBNAME, FCOLNAME FROM DOCSCOLUMN "
                             "WHERE TBNAME = ? AND COLNAME = ?",
                             {table, column});
        EXPECT_EQ(rows.rows.size(), 1u) << table << "." << column;
        std::vector<std::string> out;
        for (const auto& v : rows.rows.at(0)) out.push_back(AsText(v));
        return out;
    };
    EXPECT_EQ(row("ACTIVITYLOG", "ACTIVITY_DESC")[2], "60");
    EXPECT_EQ(row("PROFILE", "LAST_EDIT_DATE")[1], "8");
    EXPECT_EQ(row("PROFILE", "AUTHOR"), (std::vector<std::string>{"F", "4", "0", "PEOPLE", "SYSTEM_ID"}));
    EXPECT_EQ(row("PROFILE", "TYPIST")[3], "PEOPLE");
    EXPECT_EQ(row("PROFILE", "MATTER"), (std::vector<std::string>{"F", "4", "0", "MATTER", "SYSTEM_ID"}));
    EXPECT_EQ(row("MATTER", "CLIENT_ID"), (std::vector<std::string>{"X", "4", "0", "CLIENT", "SYSTEM_ID"}));
    EXPECT_EQ(row("MATTER", "CLOSE_DATE")[1], "8");
    for (const auto& [table, id] : std::map<std::string, std::string>{{"GROUPS", "GROUP_ID"},
                                                                      {"PEOPLE", "USER_ID"},
                                                                      {"APPS", "APPLICATION"},
                                                                      {"DOCUMENTTYPES", "TYPE_ID"},
                                                                      {"CLIENT", "CLIENT_ID"},
                                                                      {"MATTER", "MATTER_ID"}}) {
        EXPECT_EQ(row(table, "SYSTEM_ID")[0], "P") << table;
        EXPECT_EQ(row(table, id)[0], "C") << table;
        EXPECT_EQ(row(table, "DISABLED")[0], "N") << table;
    }
    // The first MATTER date column is the close date.
    EXPECT_EQ(AsText(db.QueryValue("SELECT COLNAME FROM DOCSCOLUMN WHERE TBNAME = 'MATTER' AND CMSTYPE IN "
                                   "(1, 8) ORDER BY SYSTEM_ID")),
              "CLOSE_DATE");
}

TEST_F(LibrarySetupTest, OptionalColumnsComeAndGoWithTheirDictionaryRows) {
    auto probe = [&](const std::string& library, const std::string& table, const std::string& column) {
        auto sql = Sql(library);
        std::string owner = emulator_->Site().Find(library)->owner;
        EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM " + owner + ".DOCSCOLUMN WHERE TBNAME = '" + table +
                               "' AND COLNAME = '" + column + "'"),
                  0);
        int32_t described = sql->ColumnValue(1).ToLong();
        bool exists = TableColumns(emulator_->Library(library), table).count(column) > 0;
        EXPECT_EQ(described != 0, exists) << library << "." << table << "." << column;
        return exists;
    };
    EXPECT_TRUE(probe("DOCS", "PROFILE", "SECURITY_LINK"));
    EXPECT_TRUE(probe("DOCS", "PROFILE", "ITEM_TYPE"));
    EXPECT_FALSE(probe("ARCHIVE", "PROFILE", "SECURITY_LINK"));
    EXPECT_FALSE(probe("ARCHIVE", "PROFILE", "ITEM_TYPE"));
    EXPECT_TRUE(probe("ARCHIVE", "ACTIVITYLOG", "START_TIME"));
    EXPECT_TRUE(probe("ARCHIVE", "VERSIONS", "LASTEDITTIME"));
    EXPECT_TRUE(probe("ARCHIVE", "COMPONENTS", "ENCRYPTION_KEY_ID"));
}

TEST_F(LibrarySetupTest, StartingRowsOfANewLibrary) {
    LibraryDb& docs = emulator_->Library("DOCS");
    EXPECT_EQ(AsInt(docs.QueryValue("SELECT COUNT(*) FROM PEOPLE P JOIN GROUPS G ON G.SYSTEM_ID = "
                                    "P.PRIMARY_GROUP WHERE P.USER_ID = 'JDOE' AND G.GROUP_ID = 'LAWYERS'")),
              1);
    for (const char* group : {"DOCS_USERS", "DOCS_SUPERVISORS", "LAWYERS"}) {
        EXPECT_EQ(AsInt(docs.QueryValue("SELECT COUNT(*) FROM GROUPS WHERE GROUP_ID = ?", {std::string(group)})), 1)
            << group;
    }
    EXPECT_EQ(AsInt(docs.QueryValue("SELECT COUNT(*) FROM PEOPLE P JOIN GROUPS G ON G.SYSTEM_ID = "
                                    "P.SYSTEM_ID")),
              0)
        << "people and groups ids are disjoint";
    EXPECT_EQ(AsInt(docs.QueryValue("SELECT COUNT(*) FROM APPS WHERE APPLICATION = 'FOLDER'")), 1);
    EXPECT_EQ(AsInt(docs.QueryValue("SELECT COUNT(*) FROM SECURITY WHERE PERSONORGROUP = 0 AND THING = 0 "
                                    "AND ACCESSRIGHTS = 255")),
              1);
    EXPECT_TRUE(docs.TableExists("KEST_SETTINGS"));

    LibraryDb& archive = emulator_->Library("ARCHIVE");
    EXPECT_FALSE(archive.TableExists("KEST_SETTINGS")) << "only where the site says";
    EXPECT_EQ(AsInt(archive.QueryValue("SELECT COUNT(*) FROM SEQ_PROFILE")), 1);
    EXPECT_EQ(AsInt(archive.QueryValue("SELECT LASTKEY FROM SEQ_PROFILE")), 700);

    auto remote = archive.Query("SELECT SYSTEM_ID, LIBRARY_NAME, DATABASE_ENGINE, OWNER FROM "
                                "REMOTE_LIBRARIES ORDER BY LIBRARY_NAME");
    ASSERT_EQ(remote.rows.size(), 2u);
    EXPECT_EQ(AsText(remote.rows[0][1]), "Archive");
    EXPECT_EQ(AsInt(remote.rows[0][0]), 0) << "the library's own row";
    EXPECT_EQ(AsInt(remote.rows[0][2]), kEngineSybase);
    EXPECT_EQ(AsText(remote.rows[0][3]), "ARCHADM");
    EXPECT_EQ(AsText(remote.rows[1][1]), "DOCS");
    EXPECT_NE(AsInt(remote.rows[1][0]), 0);
    EXPECT_EQ(AsText(remote.rows[1][3]), "DOCSADM");
}

TEST_F(LibrarySetupTest, DatabaseFileRunsInWalMode) {
    LibraryDb& db = emulator_->Library("DOCS");
    EXPECT_EQ(AsText(db.QueryValue("PRAGMA DOCSADM.journal_mode")), "wal");
}

}  // namespace
}  // namespace dmsim
