// Where the trigger definition is kept between two openings of the setup
// window: which store loading takes, and saving as one unit.

#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "forms/lib_setup_window.h"
#include "install/definition_store.h"
#include "test_support/program_fixture.h"

namespace install {
namespace {

class DefinitionStoreTest : public test_support::ProgramTest {
protected:
    forms::DorvaneLibSetup w_;

    void SetUp() override {
        Open();
        Start();
        window_->SourceLibraryCombo.AddItem("DOCS");
        window_->SourceLibraryCombo.AddItem("ARCHIVE");
        window_->SourceLibraryCombo.SetText("DOCS");
        // The lists as the window fills them before loading.
        w_.TargetLibraryCombo.AddItem("***ALL***");
        for (const char* name : {"DOCS", "ARCHIVE"}) {
            w_.SourceLibraryCombo.AddItem(name);
            w_.TargetLibraryCombo.AddItem(name);
        }
        for (const char* type : {"***ALL***", "Archive", "Delete", "Keep", "Optical", "Paper", "Template"}) {
            w_.StorageTypeCombo.AddItem(type);
        }
        for (auto* list : {&w_.SourceLibraryCombo, &w_.TargetLibraryCombo, &w_.StorageTypeCombo}) list->SetListIndex(0);
    }

    void SaveRegistry(const std::string& name, const std::string& value) {
        registry_->SaveSetting(core::kProductName, "Setup", name, value);
    }

    void Row(const std::string& master, const std::string& key, const std::string& text, int number) {
        Db("DOCS").Exec("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, "
                        "INT_VAL) VALUES (?, 'TRIGGER_DEFINITION', ?, 1, ?, ?)",
                        {master, key, text, int64_t{number}});
    }

    // The controls, in one line, for comparisons.
    std::string Shown() {
        std::string s = w_.SourceLibraryCombo.Text() + "|" + w_.TargetLibraryCombo.Text() + "|" +
                        w_.StorageTypeCombo.Text() + "|" + std::to_string(w_.CheckIncST.Value());
        for (auto& row : w_.Rows()) s += "|" + row.text.Text() + ":" + std::to_string(row.include.Value());
        return s;
    }

    int64_t DefinitionRows() {
        return Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SECTION_KEY = 'TRIGGER_DEFINITION' AND "
                            "MASTER_KEY LIKE 'DORVANE%'");
    }
};

TEST_F(DefinitionStoreTest, FirstUseWithoutTableShowsTheDefaults) {
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    LoadDefinition(*program_, w_);
    // Source from the main window; Groups cleared, every other Include ticked.
    EXPECT_EQ(Shown(), "DOCS|***ALL***|***ALL***|1|:0|:1|:1|:1|:1|:1");
}

TEST_F(DefinitionStoreTest, TableWithoutRowsFallsBackOnTheRegistry) {
    SaveRegistry("TargetLibraryCombo", "ARCHIVE");
    SaveRegistry("StorageTypeCombo", "Keep");
    SaveRegistry("TextAuthor", "JSMITH, O'BRIEN");
    SaveRegistry("CheckAuthor", "0");
    SaveRegistry("CheckGroups", "1");
    SaveRegistry("CheckIncST", "0");
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    LoadDefinition(*program_, w_);
    EXPECT_EQ(Shown(), "DOCS|ARCHIVE|Keep|0|:1|:1|JSMITH, O'BRIEN:0|:1|:1|:1");
}

TEST_F(DefinitionStoreTest, TableRowsWinOverTheRegistryKeyByKey) {
    SaveRegistry("TextTypist", "FROM REGISTRY");
    SaveRegistry("TargetLibraryCombo", "ARCHIVE");
    Row("DORVANE", "groups", "LAWYERS", 1);          // lower-case key
    Row("DORVANE", "STORAGETYPE", "Paper", 0);
    Row("DORVANE", "TARGETLIBRARY", "archive", 0);   // another letter case: no entry
    Row("DORVANE", "ST", "", 0);
    Row("DORVANE2", "GROUPS", "PARTNERS", 0);        // a later row of the same key wins
    Row("OTHER", "MATTER", "not ours", 0);
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    w_.TextTypist.SetText("before");
    LoadDefinition(*program_, w_);
    // Keys without a row keep what the controls showed; the registry is not read.
    EXPECT_EQ(Shown(), "DOCS|***ALL***|Paper|0|PARTNERS:0|before:0|:0|:0|:0|:0");
}

TEST_F(DefinitionStoreTest, SavingReplacesTheRowsAsOneUnit) {
    Row("DORVANE", "MATTER", "old", 1);
    Row("DORVANE2", "MATTER", "older", 1);
    Row("OTHER", "MATTER", "not ours", 1);
    w_.TargetLibraryCombo.SetText("ARCHIVE");
    w_.TextAuthor.SetText(" O'BRIEN\r\n");
    w_.CheckAuthor.SetValue(1);
    SaveDefinition(*program_, w_, false);
    EXPECT_EQ(DefinitionRows(), 10);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE MASTER_KEY = 'OTHER'"), 1);
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'AUTHOR'"), "O'BRIEN");
    EXPECT_EQ(Value("DOCS", "SELECT INT_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'AUTHOR'"), "1");
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'ST'"), "");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "SourceLibrary", ""), "DOCS");

    // A failed insert leaves the rows of the last save, and the user's
    // settings get the new definition.
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("'APPS'").Times(1).FailStatement(
        8152, "String or binary data would be truncated");
    w_.TextAuthor.SetText("NEWER");
    SaveDefinition(*program_, w_, false);
    EXPECT_EQ(DefinitionRows(), 10);
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'AUTHOR'"), "O'BRIEN");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TextAuthor", ""), "NEWER");

    // And what was saved loads back as it was.
    forms::DorvaneLibSetup again;
    for (auto& item : w_.TargetLibraryCombo.Items()) again.TargetLibraryCombo.AddItem(item);
    LoadDefinition(*program_, again);
    EXPECT_EQ(again.TargetLibraryCombo.Text(), "ARCHIVE");
    EXPECT_EQ(again.TextAuthor.Text(), "O'BRIEN");
}

TEST_F(DefinitionStoreTest, UncommittedOrNoTableGoesToTheRegistry) {
    Row("DORVANE", "MATTER", "kept", 1);
    w_.TextMatter.SetText("M1");
    w_.CheckIncST.SetValue(0);
    w_.CheckGroups.SetValue(1);
    SaveDefinition(*program_, w_, true);
    EXPECT_EQ(DefinitionRows(), 1);
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TextMatter", ""), "M1");

    // Read back from the registry, every box as it was saved.
    forms::DorvaneLibSetup again;
    for (auto& item : w_.SourceLibraryCombo.Items()) again.SourceLibraryCombo.AddItem(item);
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    LoadDefinition(*program_, again);
    EXPECT_EQ(again.TextMatter.Text(), "M1");
    EXPECT_EQ(again.CheckIncST.Value(), 0);
    EXPECT_EQ(again.CheckGroups.Value(), 1);
    EXPECT_EQ(again.SourceLibraryCombo.Text(), "DOCS");

    // A source that cannot be connected: only the source name is written.
    w_.SourceLibraryCombo.AddItem("GONE");
    w_.SourceLibraryCombo.SetText("GONE");
    w_.TextMatter.SetText("M2");
    ui_.ClearMessages();
    SaveDefinition(*program_, w_, false);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt, "Error: Unable to connect to library GONE");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TextMatter", ""), "M1");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "SourceLibrary", ""), "GONE");
}

}  // namespace
}  // namespace install
