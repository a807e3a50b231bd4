// The setup window's criterion rows as the program wires them, on the demo
// site: the ".." buttons show the lookup dialog and fill their boxes, and an
// entry typed into a box is checked when the box loses the focus.

#include <gtest/gtest.h>

#include "dmsim/default_site.h"
#include "forms/lib_setup_window.h"
#include "forms/lookup_dialog.h"
#include "test_support/program_fixture.h"

namespace {

class CriterionFieldsTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        dmsim::DescribeDefaultSite(site_);
        CreateSite();
        dmsim::AddDemoRows(site_);
        site_.AddGroup("DOCS", "O'NEIL", "Group with an apostrophe");
        Open();
        Start();
        registry_->SaveSetting(core::kProductName, "General", "SourceLibrary", "DOCS");
    }

    forms::KestLookup& Lookup() { return app_->lookupDialog.Window(); }

    // Shows the setup window from the main window's menu; script runs while
    // it is open.
    void ShowSetup(std::function<void(forms::DorvaneLibSetup&)> script) {
        ui_.OnModal("DorvaneLibSetup",
                    [script](forms::Window& w) { script(static_cast<forms::DorvaneLibSetup&>(w)); });
        window_->MNSetup.Click();
        ASSERT_FALSE(ui_.ModalWindows().empty());
        EXPECT_EQ(ui_.ModalWindows().front(), "DorvaneLibSetup");
    }

    // What the lookup dialog does when it is shown next: picks the rows
    // listed with these texts and presses OK (none: Cancel).
    void Pick(std::vector<std::string> texts, std::string* table = nullptr) {
        ui_.OnModal("KestLookup", [this, texts, table](forms::Window&) {
            if (table) *table = app_->lookupDialog.LookupTable;
            auto& list = Lookup().LookupList;
            for (int i = 0; i < list.Count(); ++i) {
                for (auto& t : texts) {
                    if (list.Item(i).text == t) list.SetSelected(i, true);
                }
            }
            if (texts.empty()) {
                Lookup().ButtonCancel.Click();
            } else {
                Lookup().Button_OK.Click();
            }
        });
    }
};

TEST_F(CriterionFieldsTest, LookupButtonsFillTheirRowsFromTheChosenRows) {
    ShowSetup([&](forms::DorvaneLibSetup& w) {
        for (auto& row : w.Rows()) EXPECT_TRUE(row.lookup.Visible()) << row.lookup.Name();

        // A result replaces what was typed before, in the dialog's order.
        w.TextGroups.SetText("TYPED");
        std::string table;
        Pick({"LEGAL", "ACCOUNTING"}, &table);
        w.ButtonGroups.Click();
        EXPECT_EQ(table, "GROUPS");
        EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
        const std::string groups = w.TextGroups.Text();
        EXPECT_TRUE(groups == "LEGAL, ACCOUNTING" || groups == "ACCOUNTING, LEGAL") << groups;

        // Cancelled: the box keeps its text.
        Pick({});
        w.ButtonGroups.Click();
        EXPECT_EQ(w.TextGroups.Text(), groups);

        struct Case {
            forms::Button& button;
            forms::TextBox& text;
            const char* table;
            const char* pick;
        };
        const Case cases[] = {{w.ButtonTypist, w.TextTypist, "PEOPLE", "JSMITH"},
                              {w.ButtonAuthor, w.TextAuthor, "PEOPLE", "MJONES"},
                              {w.ButtonDocTypes, w.TextDocTypes, "DOCUMENTTYPES", "MEMO"},
                              {w.ButtonApps, w.TextApps, "APPS", "MS WORD"}};
        for (const Case& c : cases) {
            Pick({c.pick}, &table);
            c.button.Click();
            EXPECT_EQ(table, c.table);
            EXPECT_EQ(c.text.Text(), c.pick);
        }

        // Matters come back as keys and land as client id ":" matter id.
        Pick({"M001"}, &table);
        w.ButtonMatter.Click();
        EXPECT_EQ(table, "MATTER");
        EXPECT_EQ(w.TextMatter.Text(), "C001:M001");
    });
}

TEST_F(CriterionFieldsTest, ATypedEntryIsCheckedWhenItsBoxLosesTheFocus) {
    struct Case {
        const char* typed;
        const char* shown;  // afterwards
        bool refused;
    };
    const Case cases[] = {
        {"  legal ", "legal", false},
        {"NOBODY", "ACCOUNTING", true},
        {"x' OR 'A'='A", "ACCOUNTING", true},
        {"o'neil", "o'neil", false},
        {"NOBODY, NOONE", "NOBODY, NOONE", false},
    };
    ShowSetup([&](forms::DorvaneLibSetup& w) {
        int focusBack = 0;
        w.TextGroups.focusRequested.Connect([&] { ++focusBack; });
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed);
            const int beeps = ui_.Beeps();
            const int focus = focusBack;
            w.TextGroups.SetText(" ACCOUNTING ");
            w.TextGroups.gotFocus.Emit();
            w.TextGroups.SetText(c.typed);
            w.TextGroups.lostFocus.Emit();
            EXPECT_EQ(w.TextGroups.Text(), c.shown);
            EXPECT_EQ(ui_.Beeps() - beeps, c.refused ? 1 : 0);
            EXPECT_EQ(focusBack - focus, c.refused ? 1 : 0);
        }
        // The Matter box checks client and matter.
        w.TextMatter.gotFocus.Emit();
        w.TextMatter.SetText(" c001 : m001 ");
        w.TextMatter.lostFocus.Emit();
        EXPECT_EQ(w.TextMatter.Text(), "c001 : m001");
        w.TextMatter.SetText("C002:M001");
        w.TextMatter.lostFocus.Emit();
        EXPECT_EQ(w.TextMatter.Text(), "");
    });
    EXPECT_TRUE(ui_.Messages().empty());
}

}  // namespace
