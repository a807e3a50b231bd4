// Renders the main window after a real start-up on a small emulated site and
// keeps the picture as a test artefact (artifacts/ in the build folder).

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <filesystem>

#include "app/dorvane_form.h"
#include "gui/main_window_view.h"
#include "gui/qt_test_app.h"
#include "test_support/program_fixture.h"

namespace {

class ScreenshotTest : public test_support::ProgramTest {
protected:
    static void SetUpTestSuite() { gui::testing::TestApp(); }
};

TEST_F(ScreenshotTest, MainWindowAfterStartUp) {
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ARCHIVE");
    site_.Library("ARCHIVE2");
    Open();
    registry_->SaveSetting(core::kProductName, "General", "LogFile", LogPath());
    gui::MainWindowView view(*window_);
    app_->form.Form_Load();
    QApplication::processEvents();

    ASSERT_TRUE(view.isVisible());
    QPixmap picture = view.grab();
    EXPECT_GE(picture.width(), 400);
    EXPECT_GE(picture.height(), 400);
    std::filesystem::create_directories(DORVANE_ARTIFACTS);
    const std::string file = std::string(DORVANE_ARTIFACTS) + "/main_window.png";
    EXPECT_TRUE(picture.save(QString::fromStdString(file)));
}

}  // namespace
