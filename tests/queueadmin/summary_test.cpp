// The pending rows view, opened from the menu on a chosen library: its
// list, the popup's items, removing and resetting rows.

#include <gtest/gtest.h>

#include "dmsim/emulator.h"
#include "dmsim/fault_ops.h"
#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "queueadmin/queueadmin_fixture.h"

namespace queueadmin {
namespace {

class SummaryTest : public QueueAdminTest {
protected:
    static std::vector<std::string> Rows(const forms::ListView& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.Count(); ++i) {
            std::string row;
            for (int c = 0; c < 5; ++c) row += (c ? "|" : "") + list.CellText(i, c);
            out.push_back(row);
        }
        return out;
    }

    void InView(std::function<void(forms::DorvaneSummary&)> steps) {
        ui_.AnswerChoiceByText("DOCS");
        ui_.OnModal("Dorvane_Summary", [steps](forms::Window& w) { steps(dynamic_cast<forms::DorvaneSummary&>(w)); });
        window_->MNDorvaneDisplayRows.Click();
    }

    void StartWithRows() {
        CreateSite();
        dmsim::InstallQueueTable(site_.Db("DOCS"));
        AddQueueRow(100, "ARCHIVE");
        AddQueueRow(100, "ARCHIVE2", -1, "OTHERPC", 2);
        AddQueueRow(99, "ARCHIVE", 0, "SYSTEM", 5);
        AddQueueRow(7, "O''BRIEN");
        AddDocument(100);
        StartProgram({});
        ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE2"));
        window_->LabelStatus.SetCaption("Ready");
    }
};

TEST_F(SummaryTest, ListsTheQueueAndEnablesThePopupBySelection) {
    StartWithRows();
    bool shown = false;
    InView([&](forms::DorvaneSummary& w) {
        shown = true;
        EXPECT_EQ(Connected(), "DOCS");
        EXPECT_EQ(window_->LabelStatus.Caption(), "Displaying Pending Rows in library DOCS...");
        EXPECT_EQ(w.Caption(), "Pending rows in library DOCS (Total: 4)");
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"7|O'BRIEN|0||0", "99|ARCHIVE|5|SYSTEM|0",
                                                                 "100|ARCHIVE|0||0", "100|ARCHIVE2|2|OTHERPC|-1"}));
        int popups = 0;
        w.popupRequested.Connect([&] { ++popups; });
        auto enabled = [&] {
            return std::make_pair(w.MNDisplayProfile.Enabled(), w.MNRemove.Enabled());
        };
        w.ListResults.mouseUp.Emit(forms::mouse::RightButton, 0);
        EXPECT_EQ(enabled(), std::make_pair(false, false));
        w.ListResults.SetSelected(1, true);
        w.ListResults.mouseUp.Emit(forms::mouse::RightButton, 0);
        EXPECT_EQ(enabled(), std::make_pair(true, true));
        w.MNSelectAll.Click();
        w.ListResults.mouseUp.Emit(forms::mouse::RightButton, 0);
        EXPECT_EQ(enabled(), std::make_pair(false, true));
        w.ListResults.mouseUp.Emit(forms::mouse::LeftButton, 0);
        EXPECT_EQ(popups, 3);
        w.MNDeselectAll.Click();
        EXPECT_EQ(w.ListResults.SelectedCount(), 0);

        // The profile of the row's document, from the library shown.
        w.ListResults.SetSelected(3, true);
        w.MNDisplayProfile.Click();
        EXPECT_EQ(ui_.ShownTexts(), (std::vector<std::string>{"Profile\nDocument #100 in library DOCS"}));

        w.keyDown.Emit(forms::keys::Escape, 0);
        EXPECT_FALSE(w.IsOpen());
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(Connected(), "ARCHIVE2");
    EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");
}

TEST_F(SummaryTest, RemovesAndResetsTheSelectedRows) {
    StartWithRows();
    InView([&](forms::DorvaneSummary& w) {
        auto& list = w.ListResults;
        // Reset: the lock and retries go; the status cell waits for F5.
        list.SetSelected(3, true);
        w.MNReset.Click();
        EXPECT_EQ(Rows(list)[3], "100|ARCHIVE2|0||-1");
        list.SetSelected(3, false);

        // Delete with a shift key does nothing; No changes nothing.
        list.SetSelected(0, true);
        list.SetSelected(1, true);
        w.keyDown.Emit(forms::keys::Delete, forms::keys::ShiftMask);
        ui_.AnswerMessages({platform::mb::AnswerNo});
        w.keyDown.Emit(forms::keys::Delete, 0);
        EXPECT_EQ(list.Count(), 4);
        // A target with an apostrophe is removed like any other.
        w.keyDown.Emit(forms::keys::Delete, 0);
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"100|ARCHIVE|0||0", "100|ARCHIVE2|0||-1"}));
        w.keyDown.Emit(forms::keys::F5, 0);
        EXPECT_EQ(Rows(list)[1], "100|ARCHIVE2|0||0");
    });
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"100 ARCHIVE 0 ", "100 ARCHIVE2 0 "}));
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Are you sure you want to reset 1 selected row(s) in NEEDS_ARCHIVING?",
                                                   "1 row(s) reset in NEEDS_ARCHIVING",
                                                   "Are you sure you want to remove 2 selected row(s) from NEEDS_ARCHIVING?",
                                                   "Are you sure you want to remove 2 selected row(s) from NEEDS_ARCHIVING?",
                                                   "2 row(s) removed from NEEDS_ARCHIVING"}));
}

// A row leaves the list only when its DELETE removed it: one a run took
// meanwhile, or one whose DELETE failed, stays; the failure is named.
TEST_F(SummaryTest, ARowLeavesTheListOnlyWhenItsDeleteRemovedIt) {
    StartWithRows();
    InView([&](forms::DorvaneSummary& w) {
        auto& list = w.ListResults;
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 7");
        emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("WHERE SID = 99 ").FailStatement(
            1205, "Transaction was deadlocked");
        w.MNSelectAll.Click();
        list.SetSelected(3, false);
        w.MNRemove.Click();
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"7|O'BRIEN|0||0", "99|ARCHIVE|5|SYSTEM|0",
                                                        "100|ARCHIVE2|2|OTHERPC|-1"}));
    });
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"99 ARCHIVE 0 SYSTEM", "100 ARCHIVE2 -1 OTHERPC"}));
    ASSERT_EQ(ui_.Messages().size(), 2u);
    EXPECT_EQ(ui_.Messages()[1].prompt, "Error: Unable to remove the row of document 99 for target library ARCHIVE "
                                        "(SQL Error #1205: Transaction was deadlocked);\r\n"
                                        "1 row(s) removed from NEEDS_ARCHIVING");
}

// A command whose every statement failed says so first: its box never
// opens with "0 row(s)" as if there were nothing to do.
TEST_F(SummaryTest, AFailedCommandsBoxOpensWithTheFailure) {
    StartWithRows();
    const std::string failure = " the row of document 99 for target library ARCHIVE (SQL Error #1205: Transaction was "
                                "deadlocked);\r\n";
    struct Case {
        forms::MenuItem forms::DorvaneSummary::*command;
        std::string box;
    };
    const Case cases[] = {
        {&forms::DorvaneSummary::MNRemove, "Error: Unable to remove" + failure + "0 row(s) removed from NEEDS_ARCHIVING"},
        {&forms::DorvaneSummary::MNReset, "Error: Unable to reset" + failure + "0 row(s) reset in NEEDS_ARCHIVING"},
    };
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("WHERE SID = 99 ").FailStatement(
        1205, "Transaction was deadlocked");
    InView([&](forms::DorvaneSummary& w) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.box);
            ui_.ClearMessages();
            w.ListResults.SetSelected(1, true);
            (w.*c.command).Click();
            ASSERT_EQ(ui_.Messages().size(), 2u);
            EXPECT_EQ(ui_.Messages()[1].prompt, c.box);
            EXPECT_EQ(ui_.Messages()[1].buttons, platform::mb::Critical);
        }
    });
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 99"), 1);
}

// A row without a document number is counted in the caption and listed,
// so that it can be removed here; nothing else can act on it.
TEST_F(SummaryTest, ARowWithoutANumberIsListedAndCanBeRemoved) {
    StartWithRows();
    Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                    "TABLE_NAME) VALUES (NULL, 0, '', 3, 'ARCHIVE', 'PROFILE')");
    InView([&](forms::DorvaneSummary& w) {
        auto& list = w.ListResults;
        EXPECT_EQ(w.Caption(), "Pending rows in library DOCS (Total: 5)");
        ASSERT_EQ(list.Count(), 5);
        EXPECT_EQ(Rows(list)[0], "|ARCHIVE|3||0");
        list.SetSelected(0, true);
        w.MNReset.Click();
        w.MNDisplayProfile.Click();
        EXPECT_EQ(Rows(list)[0], "|ARCHIVE|3||0");
        w.keyDown.Emit(forms::keys::Delete, 0);
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"7|O'BRIEN|0||0", "99|ARCHIVE|5|SYSTEM|0", "100|ARCHIVE|0||0",
                                                        "100|ARCHIVE2|2|OTHERPC|-1"}));
    });
    EXPECT_TRUE(ui_.ShownTexts().empty());
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID IS NULL"), 0);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 4);
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Are you sure you want to reset 1 selected row(s) in NEEDS_ARCHIVING?",
                                                   "Are you sure you want to remove 1 selected row(s) from NEEDS_ARCHIVING?",
                                                   "1 row(s) removed from NEEDS_ARCHIVING"}));
}

TEST_F(SummaryTest, ALibraryWithoutTheQueueIsRefused) {
    StartProgram();
    window_->LabelStatus.SetCaption("Ready");
    ui_.AnswerChoiceByText("ARCHIVE");
    window_->MNDorvaneDisplayRows.Click();
    EXPECT_TRUE(ui_.ModalWindows().empty());
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Dorvane is not setup in ARCHIVE."}));
    EXPECT_EQ(Connected(), "DOCS");
    EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");
}

}  // namespace
}  // namespace queueadmin
