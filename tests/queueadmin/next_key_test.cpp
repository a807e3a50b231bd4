// The last-key view: every library's last document number, and raising it
// for the selected libraries without ever lowering what the DM assigned.

#include <gtest/gtest.h>

#include "dmsim/emulator.h"
#include "dmsim/fault_ops.h"
#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "queueadmin/queueadmin_fixture.h"

namespace queueadmin {
namespace {

class NextKeyTest : public QueueAdminTest {
protected:
    void SetUp() override {
        QueueAdminTest::SetUp();
        site_.Library("DOCS").LastDocNumber(5000);
        site_.Library("ARCHIVE").LastDocNumber(0);
        site_.Library("ARCHIVE2").LastDocNumber(700);
    }

    static std::vector<std::string> Rows(const forms::ListView& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.Count(); ++i) out.push_back(list.CellText(i, 0) + "=" + list.CellText(i, 1));
        return out;
    }

    static void Select(forms::ListView& list, const std::string& library) {
        for (int i = 0; i < list.Count(); ++i) {
            if (list.CellText(i, 0) == library) list.SetSelected(i, true);
        }
    }

    std::string LastKey(const std::string& library) { return Value(library, "SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE"); }

    // Opens the view from the menu and runs the test's steps in it.
    void InView(std::function<void(forms::DorvaneNextKey&)> steps) {
        ui_.OnModal("Dorvane_NextKey", [steps](forms::Window& w) { steps(dynamic_cast<forms::DorvaneNextKey&>(w)); });
        window_->MNDorvaneCheckLastKeys.Click();
    }
};

TEST_F(NextKeyTest, ListsTheLibrariesWithAKeySortedByNameAndReconnectsTheFirst) {
    StartProgram();
    window_->LabelStatus.SetCaption("Ready");
    InView([&](forms::DorvaneNextKey& w) {
        // ARCHIVE has assigned nothing yet: no row.
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"ARCHIVE2=700", "DOCS=5000"}));
        EXPECT_EQ(w.Caption(), "Last Assigned Profile Docnumbers");
        EXPECT_EQ(Connected(), "DOCS");
        EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");
        // A second click on the header sorts descending; F5 keeps that.
        w.ListResults.columnClicked.Emit(0);
        w.ListResults.columnClicked.Emit(0);
        w.keyDown.Emit(forms::keys::F5, 0);
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"DOCS=5000", "ARCHIVE2=700"}));
    });
}

TEST_F(NextKeyTest, AChangeNeverLowersAKeyTheDmHasMovedOnMeanwhile) {
    StartProgram();
    InView([&](forms::DorvaneNextKey& w) {
        // Documents were created since the list was read.
        Db("DOCS").Exec("UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = 5200");
        Select(w.ListResults, "DOCS");
        ui_.AnswerInputs({"5100"});
        w.MNChangeLastKey.Click();
        EXPECT_EQ(LastKey("DOCS"), "5200");
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"ARCHIVE2=700", "DOCS=5200"}));
        EXPECT_EQ(Prompts(),
                  (std::vector<std::string>{"SEQ_PROFILE.LASTKEY in library DOCS is already 5200 - not changed"}));
    });
    EXPECT_EQ(Connected(), "DOCS");
}

TEST_F(NextKeyTest, RetriesOrSkipsAValueNotAboveTheShownOne) {
    StartProgram();
    InView([&](forms::DorvaneNextKey& w) {
        Select(w.ListResults, "ARCHIVE2");
        Select(w.ListResults, "DOCS");
        // ARCHIVE2: the shown value itself is refused, Yes asks again, and
        // 1234.6 is rounded. DOCS: Cancel is refused alike, and No skips it.
        ui_.AnswerInputs({"700", "1234.6", std::nullopt});
        ui_.AnswerMessages({platform::mb::AnswerYes, platform::mb::AnswerNo});
        w.MNChangeLastKey.Click();
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"ARCHIVE2=1235", "DOCS=5000"}));
    });
    EXPECT_EQ(LastKey("ARCHIVE2"), "1235");
    EXPECT_EQ(LastKey("DOCS"), "5000");
    EXPECT_EQ(ui_.InputPrompts(),
              (std::vector<std::string>{"Enter the new value for SEQ_PROFILE.LASTKEY in library ARCHIVE2:",
                                        "Enter the new value for SEQ_PROFILE.LASTKEY in library ARCHIVE2:",
                                        "Enter the new value for SEQ_PROFILE.LASTKEY in library DOCS:"}));
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Cannot set LastKey to a value less than 700 in library ARCHIVE2 - retry?",
                                                   "Cannot set LastKey to a value less than 5000 in library DOCS - retry?",
                                                   "SEQ_PROFILE.LASTKEY changed in 1 libraries"}));
    EXPECT_EQ(Connected(), "DOCS");
}

// The DM numbers documents up to the largest INT: a last key it cannot
// number past is refused with what is wrong, as is a number no INT holds.
TEST_F(NextKeyTest, RefusesALastKeyTheDmCannotNumberPast) {
    StartProgram();
    const std::string tooLarge = " in library DOCS: the DM numbers documents up to 2147483647, so the last key can be "
                                 "at most 2147483646 - retry?";
    struct Case {
        std::string answer;
        std::string lastKey;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"2147483647", "5000", "Cannot set LastKey to 2147483647" + tooLarge},
        {"2147483648", "5000", "Cannot set LastKey to 2147483648" + tooLarge},
        {"99999999999999999999", "5000", "Cannot set LastKey to 99999999999999999999" + tooLarge},
        {"2147483646", "2147483646", "SEQ_PROFILE.LASTKEY changed in 1 libraries"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Db("DOCS").Exec("UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = 5000");
        ui_.ClearMessages();
        InView([&](forms::DorvaneNextKey& w) {
            Select(w.ListResults, "DOCS");
            ui_.AnswerInputs({c.answer});
            ui_.AnswerMessages({platform::mb::AnswerNo});
            w.MNChangeLastKey.Click();
        });
        EXPECT_EQ(LastKey("DOCS"), c.lastKey);
        EXPECT_EQ(Prompts(), std::vector<std::string>{c.message});
    }
}

// A change the database refuses says so; it is not taken for a key the DM
// moved on meanwhile.
TEST_F(NextKeyTest, AFailedChangeSaysWhatFailed) {
    StartProgram();
    InView([&](forms::DorvaneNextKey& w) {
        emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("UPDATE DOCSADM.SEQ_PROFILE").FailStatement(
            229, "The UPDATE permission was denied");
        Select(w.ListResults, "DOCS");
        ui_.AnswerInputs({"5100"});
        w.MNChangeLastKey.Click();
        EXPECT_EQ(Rows(w.ListResults), (std::vector<std::string>{"ARCHIVE2=700", "DOCS=5000"}));
    });
    EXPECT_EQ(LastKey("DOCS"), "5000");
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt, "Error: Unable to set SEQ_PROFILE.LASTKEY to 5100 in library DOCS (SQL Error "
                                        "#229: The UPDATE permission was denied)");
    EXPECT_EQ(ui_.Messages()[0].buttons, platform::mb::Critical);
}

}  // namespace
}  // namespace queueadmin
