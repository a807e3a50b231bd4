// The DM settings viewer on two libraries: what it shows for each, and the
// session put back on the library of the opening however it is closed.

#include <gtest/gtest.h>

#include "forms/main_window.h"
#include "queueadmin/queueadmin_fixture.h"

namespace queueadmin {
namespace {

class KestOptionsTest : public QueueAdminTest {
protected:
    void SetUp() override {
        QueueAdminTest::SetUp();
        site_.Library("DOCS").User("JSMITH").PrimaryGroup("LEGAL").Parameter("DOCSParms.OnlyInDocs", "docs only");
        site_.Library("ARCHIVE").User("ARCHIVIST").PrimaryGroup("RECORDS").Right("User.DocDelete", false);
    }

    static std::vector<std::string> Panels(forms::KestOptions& w) {
        return {w.StatusBarInfo1.Caption(), w.StatusBarInfo2.Caption(), w.StatusBarInfo3.Caption()};
    }
};

TEST_F(KestOptionsTest, ShowsEachLibrarysSettingsAndPutsTheSessionBack) {
    StartProgram();
    bool ran = false;
    ui_.OnModal("KestOptions", [&](forms::Window& window) {
        auto& w = dynamic_cast<forms::KestOptions&>(window);
        ran = true;
        EXPECT_EQ(w.Caption(), "dIRAZ Local Settings");
        EXPECT_EQ(w.ComboLibList.Items(), (std::vector<std::string>{"DOCS", "ARCHIVE", "ARCHIVE2"}));
        EXPECT_EQ(w.ComboLibList.Text(), "DOCS");
        EXPECT_EQ(Panels(w), (std::vector<std::string>{"DOCS", "JSMITH", "LEGAL"}));
        ASSERT_GT(w.ComboPropertyItem.Count(), 1);
        EXPECT_EQ(w.ComboPropertyItem.ListIndex(), 0);

        ASSERT_TRUE(w.ComboPropertyItem.SetText("User.DocDelete"));
        EXPECT_EQ(w.LabelPropertyResult.Caption(), "True");
        // The whole session follows the chosen library; the primary library
        // stays the same.
        ASSERT_TRUE(w.ComboLibList.SetText("ARCHIVE"));
        EXPECT_EQ(Connected(), "ARCHIVE");
        EXPECT_EQ(Panels(w), (std::vector<std::string>{"DOCS", "ARCHIVIST", "RECORDS"}));
        EXPECT_EQ(w.LabelPropertyResult.Caption(), "False");
        // The names stay those of the opening library; one that ARCHIVE
        // lacks shows nothing.
        ASSERT_TRUE(w.ComboPropertyItem.SetText("DOCSParms.OnlyInDocs"));
        EXPECT_EQ(w.LabelPropertyResult.Caption(), "");
        w.ButtonExit.Click();
    });
    window_->MNKestOptions.Click();
    EXPECT_TRUE(ran);
    EXPECT_EQ(Connected(), "DOCS");
    EXPECT_TRUE(ui_.Messages().empty());

    // Closed by the window system after a switch: still back on DOCS, and a
    // second opening starts afresh from there.
    ui_.OnModal("KestOptions", [&](forms::Window& window) {
        auto& w = dynamic_cast<forms::KestOptions&>(window);
        EXPECT_EQ(w.ComboLibList.Count(), 3);
        EXPECT_EQ(w.ComboLibList.Text(), "DOCS");
        w.ComboLibList.SetText("ARCHIVE2");
    });
    window_->MNKestOptions.Click();
    EXPECT_EQ(Connected(), "DOCS");
}

TEST_F(KestOptionsTest, ALibraryWithoutPropertiesGivesEmptyLists) {
    site_.Library("DOCS").NoProperties();
    StartProgram();
    ui_.OnModal("KestOptions", [&](forms::Window& window) {
        auto& w = dynamic_cast<forms::KestOptions&>(window);
        EXPECT_EQ(w.ComboPropertyItem.Count(), 0);
        EXPECT_EQ(w.LabelPropertyResult.Caption(), "");
        EXPECT_EQ(w.ComboLibList.Count(), 3);
    });
    window_->MNKestOptions.Click();
    EXPECT_EQ(Connected(), "DOCS");
}

}  // namespace
}  // namespace queueadmin
