// The input box on a screen 1,280 pixels wide (the offscreen platform as
// screen_1280.json sets it up): a long prompt wraps, and the whole box, its
// buttons included, stays on the screen. Its picture is kept as a test
// artefact (artifacts/ in the build folder).

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "gui/qt_host.h"

namespace {

// One QApplication for the binary, on the wide screen; the switch on the
// command line wins over QT_QPA_PLATFORM.
class WideScreen : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 3;
        static char name[] = "gui_screen_tests";
        static char platformSwitch[] = "-platform";
        static std::string platform = "offscreen:configfile=" DORVANE_SCREEN_CONFIG;
        static char* argv[] = {name, platformSwitch, platform.data(), nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new WideScreen);

TEST(InputBoxTest, ALongPromptWrapsAndTheBoxFitsTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen.width(), 1280);
    // The longest prompt of the program: the date of the closed matters.
    const std::string prompt =
        "Enter in the close date for matters that you wish to process. "
        "If you wish to enter a date range, separate the two dates with a hyphen between blanks "
        "(2022-01-01 - 2022-06-30); otherwise, Dorvane will add all available documents for matters closed on "
        "dates up to and including the entered date";
    QRect box;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        box = dialog->frameGeometry();
        auto* label = dialog->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_GE(label->height(), 3 * label->fontMetrics().lineSpacing()) << "the prompt wraps";
        EXPECT_EQ(label->sizeHint().width(), label->width()) << "the prompt is shown whole";
        const auto buttons = dialog->findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 2);
        for (QPushButton* button : buttons) {
            EXPECT_TRUE(button->isVisible());
            EXPECT_TRUE(dialog->rect().contains(QRect(button->mapTo(dialog, QPoint(0, 0)), button->size())))
                << button->text().toStdString();
        }
        std::filesystem::create_directories(DORVANE_ARTIFACTS);
        EXPECT_TRUE(dialog->grab().save(QString(DORVANE_ARTIFACTS) + "/input_box_closed_matters.png"));
        dialog->findChild<QLineEdit*>()->setText("2022-06-30");
        dialog->accept();
    });
    gui::QtHost host;
    EXPECT_EQ(host.InputBox(prompt, "Add documents for closed matters", ""), "2022-06-30");
    EXPECT_TRUE(screen.contains(box)) << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
}

}  // namespace
