// The lookup dialog on an emulated library, shown through the headless host:
// what it lists, what it hands back, and how it fails.

#include <gtest/gtest.h>

#include <algorithm>

#include "dmsim/default_site.h"
#include "forms/key_codes.h"
#include "lookup/lookup_dialog.h"
#include "test_support/program_fixture.h"

namespace lookup {
namespace {

class LookupDialogTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        CreateSite();
        legal_ = site_.AddGroup("DOCS", "LEGAL", "Legal department");
        site_.AddGroup("DOCS", "ACCOUNTS", "Accounts");
        site_.AddPerson("DOCS", "OBRIEN", "Pat O'Brien", "LEGAL");
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }

    KestLookupForm& Dialog() { return app_->lookupDialog; }
    forms::KestLookup& W() { return app_->lookupDialog.Window(); }

    // Shows the dialog on a table; the handler acts while it is open.
    void Show(const std::string& table, std::function<void()> whileOpen, bool multi = true, bool text = true) {
        Dialog().LookupTable = table;
        Dialog().LookupMultiSelect = multi;
        Dialog().LookupReturnText = text;
        ui_.OnModal("KestLookup", [whileOpen](forms::Window&) {
            if (whileOpen) whileOpen();
        });
        Dialog().Show();
    }

    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (auto& item : W().LookupList.Items()) texts.push_back(item.text);
        return texts;
    }

    void Select(const std::string& text) {
        auto& list = W().LookupList;
        for (int i = 0; i < list.Count(); ++i) {
            if (list.Item(i).text == text) list.SetSelected(i, true);
        }
    }

    std::vector<std::string> Results() {
        auto& r = Dialog().LookupResults;
        EXPECT_EQ(r.size(), static_cast<size_t>(Dialog().LookupResultCount) + 1);
        EXPECT_EQ(r[0], "");
        return {r.begin() + 1, r.end()};
    }

    // A lookup table of the library without a primary key, so that its first
    // column is its id: TAG_ID is the key, TAG_NAME the name.
    void AddTagsTable(int rows, const std::vector<std::string>& extraIds = {}) {
        auto& db = Db("DOCS");
        db.Exec("CREATE TABLE DOCSADM.TAGS (TAG_ID VARCHAR(32) COLLATE NOCASE, TAG_NAME VARCHAR(64))");
        db.Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSKEY, CMSTYPE) "
                "VALUES (990001, 'TAGS', 'TAG_ID', '', '', 'C', 0), (990002, 'TAGS', 'TAG_NAME', '', '', 'N', 0)");
        db.InTransaction([&] {
            for (int i = 1; i <= rows; ++i) {
                db.Exec("INSERT INTO DOCSADM.TAGS VALUES ('T" + std::to_string(i) + "', 'Tag " + std::to_string(i) +
                        "')");
            }
            for (auto& id : extraIds) db.Exec("INSERT INTO DOCSADM.TAGS VALUES ('" + id + "', 'odd')");
        });
    }

    int32_t legal_ = 0;
};

TEST_F(LookupDialogTest, ListsTheTableAndHandsBackTheChosenRowsInListOrder) {
    Show("GROUPS", [&] {
        EXPECT_EQ(W().Caption(), "Lookup GROUPS in library DOCS");
        ASSERT_EQ(W().LookupList.Columns().size(), 2u);
        EXPECT_EQ(W().LookupList.Columns()[0].caption, "GROUP_ID");
        EXPECT_EQ(W().LookupList.Columns()[1].caption, "GROUP_NAME");
        EXPECT_EQ(W().ComboFilterList.Text(), "GROUP_ID");
        EXPECT_EQ(W().LabelTotal.Caption(), std::to_string(W().LookupList.Count()));
        EXPECT_TRUE(W().LookupList.MultiSelect());
        W().LookupList.columnClicked.Emit(0);
        W().LookupList.columnClicked.Emit(0);  // descending
        Select("LEGAL");
        Select("ACCOUNTS");
        W().LookupList.itemClicked.Emit(0);
        EXPECT_EQ(W().LabelSelected.Caption(), "2");
        W().Button_OK.Click();
    });
    EXPECT_EQ(Results(), (std::vector<std::string>{"LEGAL", "ACCOUNTS"}));
    EXPECT_EQ(CountLines("Lookup returned item SYSTEM_ID:" + std::to_string(legal_) + ":LEGAL (-1)"), 1u);

    // Keys instead of texts; the last sort carries over to the next showing.
    Show("GROUPS", [&] {
        W().LookupList.columnClicked.Emit(0);
        EXPECT_EQ(W().LookupList.SortOrder(), forms::ListView::Ascending);
        Select("LEGAL");
        W().LookupList.itemDoubleClicked.Emit(0);
    }, false, false);
    EXPECT_EQ(Results(), std::vector<std::string>{"SYSTEM_ID:" + std::to_string(legal_)});
}

TEST_F(LookupDialogTest, NothingChosenCancelledOrClosedGivesAnEmptyResult) {
    Show("GROUPS", [&] { W().Button_OK.Click(); });
    EXPECT_EQ(Dialog().LookupResultCount, 0);
    Show("GROUPS", [&] {
        Select("LEGAL");
        W().keyDown.Emit(forms::keys::Escape, 0);
        EXPECT_FALSE(W().IsOpen());
    });
    EXPECT_EQ(Dialog().LookupResultCount, 0);
    Show("GROUPS", [&] {
        Select("LEGAL");
        W().closeRequested.Emit();
    });
    EXPECT_EQ(Dialog().LookupResultCount, 0);
    EXPECT_TRUE(ui_.Messages().empty());

    // No table: nothing runs and nothing is shown.
    ui_.OnModal("KestLookup", [](forms::Window&) {});
    size_t shown = ui_.ModalWindows().size();
    Dialog().LookupTable = "";
    Dialog().Show();
    EXPECT_EQ(ui_.ModalWindows().size(), shown);
    EXPECT_EQ(Dialog().LookupResultCount, 0);
    EXPECT_NE(LogText().find("***An unknown error occurred on line above***"), std::string::npos);
}

TEST_F(LookupDialogTest, SearchFiltersOnTheWholeColumnAndTakesApostrophesAsText) {
    Show("PEOPLE", [&] {
        const std::string base = Dialog().BaseStatement;
        ClearLog();
        W().ButtonSearch.Click();  // nothing typed: the list stays
        EXPECT_EQ(CountLines("Executing"), 0u);

        W().ComboFilterList.SetText("FULL_NAME");
        W().TextFilter.SetText("o'bri");
        W().ButtonSearch.Click();
        EXPECT_EQ(Texts(), std::vector<std::string>{"OBRIEN"});
        EXPECT_EQ(W().LabelTotal.Caption(), "1");
        EXPECT_EQ(Dialog().LastStatement, base + " WHERE [OWNER].PEOPLE.FULL_NAME LIKE '%o''bri%'");

        // The key column is found inside its UPPER() call.
        W().ComboFilterList.SetText("USER_ID");
        W().TextFilter.SetText("x' OR 'A'='A");
        W().ButtonSearch.Click();
        EXPECT_EQ(W().LookupList.Count(), 0);
        EXPECT_NE(Dialog().LastStatement.find(" WHERE [OWNER].PEOPLE.USER_ID LIKE '%x'' OR ''A''=''A%'"),
                  std::string::npos);
        ClearLog();
        W().ButtonSearch.Click();  // the same search again
        EXPECT_EQ(CountLines("Executing"), 0u);

        W().TextFilter.SetText("");
        W().ButtonSearch.Click();
        EXPECT_EQ(W().LookupList.Count(), std::stoi(Value("DOCS", "SELECT COUNT(*) FROM DOCSADM.PEOPLE")));
    });
}

// The filter acts on the column picked in the list, even where its title
// stands inside another column's name or two columns bear one title.
TEST_F(LookupDialogTest, SearchFiltersTheColumnThePickedEntryShows) {
    auto& db = Db("DOCS");
    db.Exec("CREATE TABLE DOCSADM.WIDGETS (W_ID VARCHAR(32), FULL_NAME VARCHAR(64), NAME VARCHAR(64))");
    db.Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSKEY, CMSTYPE) VALUES "
            "(990101, 'WIDGETS', 'W_ID', '', '', 'C', 0), (990102, 'WIDGETS', 'FULL_NAME', '', '', 'N', 0), "
            "(990103, 'WIDGETS', 'NAME', '', '', 'N', 0)");
    db.Exec("INSERT INTO DOCSADM.WIDGETS VALUES ('W1', 'Alpha Beta', 'Gamma'), ('W2', 'Gamma Delta', 'Alpha')");
    const int32_t letter = site_.AddLookup("DOCS", "DOCUMENTTYPES", "TYPE_ID", "LETTER", "DESCRIPTION", "Letter");
    const int32_t memo = site_.AddLookup("DOCS", "DOCUMENTTYPES", "TYPE_ID", "MEMO", "DESCRIPTION", "Memo");
    db.Exec("INSERT INTO DOCSADM.SUBCATMAP (SYSTEM_ID, DOCTYPELINK, SUBCATLINK) VALUES (990201, " +
            std::to_string(letter) + ", " + std::to_string(memo) + "), (990202, " + std::to_string(memo) + ", " +
            std::to_string(letter) + ")");
    struct Case {
        const char* table;
        int entry;  // of the filter list
        const char* filter;
        std::vector<std::string> rows;  // the cells of each listed row, joined by "|"
    };
    const std::vector<Case> cases = {
        {"WIDGETS", 1, "Alpha", {"Gamma Delta|Alpha"}},
        {"WIDGETS", 0, "Alpha", {"Alpha Beta|Gamma"}},
        {"SUBCATMAP", 3, "LET", {"||MEMO|LETTER"}},
        {"SUBCATMAP", 2, "LET", {"||LETTER|MEMO"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.entry));
        std::vector<std::string> rows;
        Show(c.table, [&] {
            W().ComboFilterList.SetListIndex(c.entry);
            W().TextFilter.SetText(c.filter);
            W().ButtonSearch.Click();
            const auto& list = W().LookupList;
            for (int i = 0; i < list.Count(); ++i) {
                std::string row;
                for (size_t k = 0; k < list.Columns().size(); ++k) row += (k ? "|" : "") + list.CellText(i, k);
                rows.push_back(row);
            }
        });
        EXPECT_EQ(rows, c.rows);
    }
}

// Rows a search lists stand in the order of the column sorted last, even
// when it is not the first shown column.
TEST_F(LookupDialogTest, TheSortHoldsAcrossASearch) {
    AddTagsTable(0, {});
    Db("DOCS").Exec("INSERT INTO DOCSADM.TAGS VALUES ('B', 'Tag b'), ('C', 'Tag a'), ('A', 'Tag c'), ('D', 'x')");
    Db("DOCS").Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSKEY, CMSTYPE) "
                    "VALUES (990003, 'TAGS', 'TAG_DESC', '', '', 'N', 0)");
    Db("DOCS").Exec("ALTER TABLE DOCSADM.TAGS ADD COLUMN TAG_DESC VARCHAR(64)");
    Db("DOCS").Exec("UPDATE DOCSADM.TAGS SET TAG_DESC = CASE TAG_ID WHEN 'A' THEN '2' WHEN 'B' THEN '3' "
                    "WHEN 'C' THEN '1' ELSE '0' END");
    Show("TAGS", [&] {
        ASSERT_EQ(W().LookupList.Columns().size(), 2u);
        W().LookupList.columnClicked.Emit(1);  // TAG_DESC, ascending
        W().LookupList.columnClicked.Emit(1);  // descending
        W().ComboFilterList.SetText("TAG_NAME");
        W().TextFilter.SetText("Tag");
        W().ButtonSearch.Click();
        EXPECT_EQ(Texts(), (std::vector<std::string>{"Tag b", "Tag c", "Tag a"}));
        EXPECT_EQ(W().LookupList.SortKey(), 1);
        EXPECT_TRUE(W().LookupList.Sorted());
    });
}

TEST_F(LookupDialogTest, ColumnsShareTheListWidthDownToAMinimum) {
    W().LookupList.SetWidth(900);
    // Three result columns: 900 / 3 - 1 - 120.
    Show("GROUPS", [&] { EXPECT_EQ(W().LookupList.Columns().at(0).width, 179); });
    // Four: 104 is below the minimum.
    Db("DOCS").Exec("INSERT INTO DOCSADM.MATTER (SYSTEM_ID, MATTER_ID, MATTER_NAME) VALUES (880001, 'M1', 'First')");
    Show("MATTER", [&] {
        ASSERT_EQ(W().LookupList.Columns().size(), 3u);
        EXPECT_EQ(W().LookupList.Columns().at(2).width, 120);
    });
}

TEST_F(LookupDialogTest, SortsByTheClickedColumnTogglingOnARepeatedClick) {
    Show("GROUPS", [&] {
        auto& list = W().LookupList;
        auto ids = [&] {
            std::vector<std::string> v = Texts();
            return v;
        };
        W().LookupList.columnClicked.Emit(1);
        EXPECT_EQ(list.SortKey(), 1);
        EXPECT_EQ(list.SortOrder(), forms::ListView::Ascending);
        W().LookupList.columnClicked.Emit(0);
        auto ascending = ids();
        EXPECT_TRUE(std::is_sorted(ascending.begin(), ascending.end()));
        W().LookupList.columnClicked.Emit(0);
        auto descending = ids();
        EXPECT_TRUE(std::is_sorted(descending.rbegin(), descending.rend()));
        W().LookupList.columnClicked.Emit(0);
        EXPECT_EQ(ids(), ascending);
    });
    EXPECT_EQ(Dialog().LastSortColumn, "GROUP_ID");
    EXPECT_EQ(Dialog().LastSortOrder, 0);
}

TEST_F(LookupDialogTest, ListsAtMostTheCapAndSkipsBlankKeys) {
    AddTagsTable(3500, {"", "  "});
    Show("TAGS", [&] {
        EXPECT_EQ(W().LookupList.Count(), 3500);
        EXPECT_EQ(W().LabelTotal.Caption(), "3500");
        EXPECT_EQ(W().LookupList.Columns()[0].caption, "TAG_NAME");
        // The key lives in the item: column 1 is never shown.
        EXPECT_EQ(W().LookupList.Item(0).key.rfind("TAG_ID:T", 0), 0u);
    });
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt,
              "There are 3502 lookup rows to display for TAGS table in library DOCS - only the first 3500 row(s) will "
              "be displayed");
    EXPECT_EQ(ui_.Messages()[0].buttons, 48);
}

// A row without a key is nothing to pick: the load leaves out an empty or
// blank key, a search an empty one.
TEST_F(LookupDialogTest, RowsWithoutAKeyAreLeftOut) {
    AddTagsTable(2, {"", "   "});
    Show("TAGS", [&] {
        EXPECT_EQ(Texts(), (std::vector<std::string>{"Tag 1", "Tag 2"}));
        EXPECT_EQ(W().LabelTotal.Caption(), "2");
        W().ComboFilterList.SetText("TAG_NAME");
        W().TextFilter.SetText("o");  // only the keyless rows ("odd") match
        W().ButtonSearch.Click();
        EXPECT_EQ(Texts(), std::vector<std::string>{});
        EXPECT_EQ(W().LabelTotal.Caption(), "0");
    });
}

TEST_F(LookupDialogTest, ARowOfAListedKeyIsLeftOutButCounted) {
    AddTagsTable(3, {"T2"});
    Show("TAGS", [&] {
        EXPECT_EQ(W().LookupList.Count(), 3);
        EXPECT_EQ(W().LabelTotal.Caption(), "4");
    });
}

TEST_F(LookupDialogTest, EscapeDuringTheFillStopsItAndKeepsTheRowsListedSoFar) {
    AddTagsTable(400);
    bool pressed = false;
    for (int pump = 1; pump <= 40; ++pump) {
        ui_.AtPump(pump, [&] {
            if (pressed || !program_->run.RunActiveFlag) return;
            pressed = true;
            W().keyDown.Emit(forms::keys::Escape, 0);
        });
    }
    Show("TAGS", [&] {
        // Stopped after the row that follows the pump.
        EXPECT_EQ(W().LabelTotal.Caption(), "51");
        EXPECT_EQ(W().LookupList.Count(), 51);
    });
    EXPECT_TRUE(pressed);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt, "Task Canceled");
    EXPECT_FALSE(program_->run.RunActiveFlag);
    EXPECT_FALSE(program_->run.CancelRequestedFlag);
}

TEST_F(LookupDialogTest, FailedLoadsNeverShowTheWindowAndEmptyOnesSayWhy) {
    // A condition the library refuses.
    Dialog().LookupCondition = "NO_SUCH_COLUMN = 1";
    Show("GROUPS", [] { ADD_FAILURE() << "shown after a failed load"; });
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt.rfind("SQL Error #", 0), 0u) << ui_.Messages()[0].prompt;
    EXPECT_NE(ui_.Messages()[0].prompt.find(": Unable to display lookup rows for GROUPS table in library DOCS"),
              std::string::npos);

    // No rows: the window opens empty, the condition stays.
    ui_.ClearMessages();
    Dialog().LookupCondition = "GROUP_ID = 'NOBODY'";
    Show("GROUPS", [&] { EXPECT_EQ(W().LookupList.Columns().size(), 0u); });
    EXPECT_EQ(ui_.Messages().at(0).prompt, "There are no lookup rows to display for GROUPS table in library DOCS");
    EXPECT_EQ(Dialog().LookupCondition, "GROUP_ID = 'NOBODY'");
    Dialog().LookupCondition.clear();
}

// The builder has no statement for a table without keys: the rows that an
// earlier statement left in the SQL object are not this table's.
TEST_F(LookupDialogTest, WithoutAStatementTheListIsEmptyAndTheDialogSaysWhy) {
    program_->RunSQL("SELECT SYSTEM_ID, GROUP_ID, GROUP_NAME FROM [OWNER].GROUPS");
    Show("SEQ_PROFILE", [&] {
        EXPECT_EQ(W().LookupList.Count(), 0);
        Select("LEGAL");
        W().Button_OK.Click();
    });
    EXPECT_EQ(Dialog().LookupResultCount, 0);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt,
              "Unable to build a lookup statement for SEQ_PROFILE table in library DOCS - see the log for the reason");
}

}  // namespace
}  // namespace lookup

namespace lookup {
namespace {

// The demo site as the site tool makes it: every lookup the setup window
// asks for lists that table's rows.
class DemoSiteLookupTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        dmsim::DescribeDefaultSite(site_);
        CreateSite();
        dmsim::AddDemoRows(site_);
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }
};

TEST_F(DemoSiteLookupTest, EveryLookupOfTheSetupWindowListsItsTable) {
    struct Case {
        const char* table;
        const char* idColumn;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"GROUPS", "GROUP_ID", {"ACCOUNTING", "DOCS_SUPERVISORS", "DOCS_USERS", "LEGAL"}},
        {"PEOPLE", "USER_ID", {"DMADMIN", "FORMER", "JSMITH", "MJONES"}},
        {"APPS", "APPLICATION", {"ACROBAT", "FOLDER", "MS EXCEL", "MS OUTLOOK", "MS WORD"}},
        {"DOCUMENTTYPES", "TYPE_ID", {"CONTRACT", "LETTER", "MEMO"}},
        {"MATTER", "MATTER_ID", {"M001", "M002"}},
    };
    auto& dialog = app_->lookupDialog;
    for (const auto& c : cases) {
        std::vector<std::string> texts;
        std::vector<std::string> keys;
        dialog.LookupTable = c.table;
        ui_.OnModal("KestLookup", [&](forms::Window&) {
            auto& w = dialog.Window();
            EXPECT_EQ(w.LookupList.Columns().at(0).caption, c.idColumn);
            w.LookupList.columnClicked.Emit(0);
            for (auto& item : w.LookupList.Items()) {
                texts.push_back(item.text);
                keys.push_back(item.key);
            }
        });
        dialog.Show();
        EXPECT_EQ(texts, c.texts) << c.table;
        for (auto& key : keys) EXPECT_EQ(key.rfind("SYSTEM_ID:", 0), 0u) << c.table;
    }
    EXPECT_TRUE(ui_.Messages().empty());
}

}  // namespace
}  // namespace lookup
