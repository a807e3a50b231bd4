#include "gui/qt_host.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "forms/window.h"
#include "gui/choice_dialog.h"
#include "gui/message_box_codes.h"
#include "gui/qt_test_app.h"

namespace gui {
namespace {

namespace mb = platform::mb;
using SB = QMessageBox::StandardButton;

class QtHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::TestApp(); }

    // Runs action on the modal dialog that the host is about to show.
    template <typename Dialog, typename Action>
    static void WhenShown(Action action) {
        QTimer::singleShot(0, [action] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            action(dialog);
        });
    }

    QtHost host;
};

TEST(MessageBoxCodesTest, ButtonsIconsAndTheAnswerOfEscape) {
    struct Case {
        int code;
        QList<SB> buttons;
        QMessageBox::Icon icon;
        int escapeAnswer;
    };
    const Case cases[] = {
        {mb::OkOnly, {SB::Ok}, QMessageBox::NoIcon, mb::AnswerOk},
        {mb::OkCancel | mb::Question, {SB::Ok, SB::Cancel}, QMessageBox::Question, mb::AnswerCancel},
        {mb::AbortRetryIgnore | mb::Critical, {SB::Abort, SB::Retry, SB::Ignore}, QMessageBox::Critical,
         mb::AnswerAbort},
        {mb::YesNoCancel | mb::Exclamation, {SB::Yes, SB::No, SB::Cancel}, QMessageBox::Warning,
         mb::AnswerCancel},
        {mb::YesNo | mb::Information, {SB::Yes, SB::No}, QMessageBox::Information, mb::AnswerNo},
        {mb::RetryCancel, {SB::Retry, SB::Cancel}, QMessageBox::NoIcon, mb::AnswerCancel},
        // Codes the host does not know: OK alone, no icon.
        {7 | 0x70, {SB::Ok}, QMessageBox::NoIcon, mb::AnswerOk},
        // Default-button and modality bits do not change the box.
        {mb::YesNo | mb::Question | 256 | 4096, {SB::Yes, SB::No}, QMessageBox::Question, mb::AnswerNo},
    };
    for (const auto& c : cases) {
        MessageBoxLayout layout = LayoutForCode(c.code);
        EXPECT_EQ(layout.buttons, c.buttons) << c.code;
        EXPECT_EQ(layout.icon, c.icon) << c.code;
        EXPECT_EQ(AnswerFor(layout.escape), c.escapeAnswer) << c.code;
    }
    const std::pair<SB, int> answers[] = {{SB::Ok, mb::AnswerOk},       {SB::Cancel, mb::AnswerCancel},
                                          {SB::Abort, mb::AnswerAbort}, {SB::Retry, mb::AnswerRetry},
                                          {SB::Ignore, mb::AnswerIgnore}, {SB::Yes, mb::AnswerYes},
                                          {SB::No, mb::AnswerNo}};
    for (const auto& [button, answer] : answers) EXPECT_EQ(AnswerFor(button), answer);
}

// Counts the events it receives.
class EventCounter : public QObject {
public:
    int received = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++received;
        return true;
    }
};

TEST_F(QtHostTest, PumpLetsEventsThroughAtMostOncePerInterval) {
    EventCounter counter;
    host.PumpEvents();
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    std::this_thread::sleep_for(QtHost::kPumpInterval + std::chrono::milliseconds(10));
    host.PumpEvents();
    EXPECT_EQ(counter.received, 1) << "a pump after the interval lets events through";

    // However often it is called, passes that deliver are bounded by the
    // time spent.
    int passes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2000; ++i) {
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        const int before = counter.received;
        host.PumpEvents();
        if (counter.received != before) ++passes;
    }
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LE(passes, spent / QtHost::kPumpInterval + 1);
    QCoreApplication::removePostedEvents(&counter);
}

TEST_F(QtHostTest, MessageBoxAnswersTheButtonClicked) {
    WhenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Dorvane");
        EXPECT_EQ(box->text(), "Are you sure?\nReally?");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        box->button(SB::No)->click();
    });
    EXPECT_EQ(host.MessageBox("Are you sure?\r\nReally?", mb::YesNo | mb::Question, "Dorvane"),
              mb::AnswerNo);

    WhenShown<QMessageBox>([](QMessageBox* box) { box->button(SB::Retry)->click(); });
    EXPECT_EQ(host.MessageBox("Locked", mb::RetryCancel, "Dorvane"), mb::AnswerRetry);
}

TEST_F(QtHostTest, EscapeOnAYesNoBoxAnswersNo) {
    WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(host.MessageBox("Delete everything?", mb::YesNo, "Dorvane"), mb::AnswerNo);
}

TEST_F(QtHostTest, ChooseOneAnswersTheRowOrCancel) {
    WhenShown<ChoiceDialog>([](ChoiceDialog* dialog) {
        dialog->findChild<QListWidget*>()->item(1)->setSelected(true);
        dialog->accept();
    });
    EXPECT_EQ(host.ChooseOne("Select a library", {"DOCSLIB", "ARCHIVE"}), 1);

    WhenShown<ChoiceDialog>([](ChoiceDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(host.ChooseOne("Select a library", {"DOCSLIB", "ARCHIVE"}), -1);
}

TEST_F(QtHostTest, ChooseManyStartsFromTheGivenChoiceAndClearsItOnCancel) {
    std::vector<int> chosen{2};
    WhenShown<ChoiceDialog>([](ChoiceDialog* dialog) {
        dialog->findChild<QListWidget*>()->item(0)->setSelected(true);
        dialog->accept();
    });
    EXPECT_TRUE(host.ChooseMany("Types", {"A", "B", "C"}, chosen));
    EXPECT_EQ(chosen, (std::vector<int>{0, 2}));

    WhenShown<ChoiceDialog>([](ChoiceDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(host.ChooseMany("Types", {"A", "B", "C"}, chosen));
    EXPECT_TRUE(chosen.empty());
}

// A window whose name has no view (one built without it, or a misspelt
// registration) is no silent close: the answer is false, which the
// program's host writes to the log as an error.
TEST_F(QtHostTest, RunModalWithoutAViewFailsLoudly) {
    host.RegisterView("KestOption", [](forms::Window&) { return std::make_unique<QWidget>(); });
    forms::Window window("KestOptions");
    int closed = 0;
    window.closed.Connect([&] { ++closed; });
    EXPECT_FALSE(host.RunModal(window));
    EXPECT_FALSE(window.IsOpen());
    EXPECT_EQ(closed, 1);
}

TEST_F(QtHostTest, RunModalShowsTheViewUntilTheWindowCloses) {
    forms::Window window("DorvaneLibSetup");
    QPointer<QWidget> shown;
    bool visibleWhileOpen = false;
    host.RegisterView("DorvaneLibSetup", [&](forms::Window& w) {
        auto view = std::make_unique<QWidget>();
        shown = view.get();
        QTimer::singleShot(0, [&w, &shown, &visibleWhileOpen] {
            visibleWhileOpen = shown && shown->isVisible() && shown->isModal() && w.Visible();
            w.Close();
        });
        return view;
    });
    EXPECT_TRUE(host.RunModal(window));
    EXPECT_TRUE(visibleWhileOpen);
    EXPECT_FALSE(window.IsOpen());
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(shown.isNull()) << "the view goes with the showing";
}

TEST_F(QtHostTest, HourglassIsOneOverrideCursorHoweverOftenItIsSet) {
    using platform::MousePointer;
    host.SetMousePointer(MousePointer::Hourglass);
    host.SetMousePointer(MousePointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(host.GetMousePointer(), MousePointer::Hourglass);
    host.SetMousePointer(MousePointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(host.GetMousePointer(), MousePointer::Default);
}

}  // namespace
}  // namespace gui
