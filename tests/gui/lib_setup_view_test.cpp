// The library setup window's Qt view: its frames, focus order, tool tips
// and colours, the close box going to the program, and a picture of it
// loaded on a small emulated site.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "gui/lib_setup_view.h"
#include "gui/qt_test_app.h"
#include "install/library_setup.h"
#include "test_support/program_fixture.h"

namespace {

class LibSetupViewTest : public test_support::ProgramTest {
protected:
    static void SetUpTestSuite() { gui::testing::TestApp(); }

    void SetUp() override {
        site_.Library("DOCS").SettingsTable(true);
        site_.Library("ARCHIVE");
        site_.Library("ARCHIVE2");
        Open();
        Start();
        registry_->SaveSetting(core::kProductName, "General", "SourceLibrary", "DOCS");
        setup_ = std::make_unique<install::LibrarySetup>(*program_);
        // Wired lookups show the ".." buttons.
        setup_->criterionLookups.choose = [](int) { return std::optional<std::string>(); };
        setup_->Form_Load();
        setup_->Form_Activate();
    }

    std::unique_ptr<install::LibrarySetup> setup_;
};

TEST_F(LibSetupViewTest, FramesFocusOrderAndTips) {
    auto& w = setup_->Window();
    gui::LibSetupView view(w);
    view.show();
    QApplication::processEvents();

    EXPECT_EQ(view.findChildren<QGroupBox*>().size(), 5);
    EXPECT_EQ(view.findChild<QGroupBox*>("FrameStatus")->title(), "Status:");
    // The focus goes from the source list along the rows to "&Close".
    std::vector<std::string> order;
    QWidget* at = view.findChild<QComboBox*>("SourceLibraryCombo");
    ASSERT_TRUE(at);
    for (int i = 0; i < 40 && at; ++i) {
        if (at->isVisible()) order.push_back(at->objectName().toStdString());
        if (at->objectName() == "ButtonCancel") break;
        at = at->nextInFocusChain();
        while (at && (at->objectName().isEmpty() || at->focusPolicy() == Qt::NoFocus)) at = at->nextInFocusChain();
    }
    EXPECT_EQ(order, (std::vector<std::string>{
                         "SourceLibraryCombo", "TargetLibraryCombo", "TextGroups", "ButtonGroups", "CheckGroups",
                         "TextTypist", "ButtonTypist", "CheckTypist", "TextAuthor", "ButtonAuthor", "CheckAuthor",
                         "TextDocTypes", "ButtonDocTypes", "CheckDocTypes", "TextApps", "ButtonApps", "CheckApps",
                         "TextMatter", "ButtonMatter", "CheckMatter", "StorageTypeCombo", "CheckIncST",
                         "ButtonBuildLib", "ButtonBuildTriggers", "ButtonCancel"}));
    EXPECT_EQ(view.findChild<QPushButton*>("ButtonBuildLib")->toolTip(),
              "Press this button to setup Dorvane in the source library");
    EXPECT_NE(view.findChild<QPushButton*>("ButtonCancel")->styleSheet().indexOf("#f08c8c"), -1);

    // A criterion box edited in the view is what the program reads.
    auto* typist = view.findChild<QLineEdit*>("TextTypist");
    QTest::keyClicks(typist, "JSMITH");
    EXPECT_EQ(w.TextTypist.Text(), "JSMITH");

    // The close box runs the closing steps, which close the window.
    w.Open();
    view.close();
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(program_->StatusForm(), nullptr);
}

TEST_F(LibSetupViewTest, Screenshot) {
    auto& w = setup_->Window();
    w.TextAuthor.SetText("JSMITH, MBROWN");
    w.TextDocTypes.SetText("MEMO");
    program_->ShowStatus("Loading setup form");
    gui::LibSetupView view(w);
    view.show();
    QApplication::processEvents();
    QPixmap picture = view.grab();
    EXPECT_GE(picture.width(), 400);
    EXPECT_GE(picture.height(), 300);
    std::filesystem::create_directories(DORVANE_ARTIFACTS);
    EXPECT_TRUE(picture.save(QString::fromStdString(std::string(DORVANE_ARTIFACTS) + "/lib_setup_window.png")));
}

}  // namespace
