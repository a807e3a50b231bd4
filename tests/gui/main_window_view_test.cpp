#include "gui/main_window_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <utility>
#include <vector>

#include "forms/key_codes.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"
#include "gui/qt_test_app.h"
#include "gui/splash_view.h"

namespace gui {
namespace {

class MainWindowViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::TestApp(); }

    void SetUp() override {
        model = std::make_unique<forms::Dorvane>();
        view = std::make_unique<MainWindowView>(*model);
        model->SetVisible(true);
        QApplication::processEvents();
    }

    template <typename T>
    T* Widget(const char* name) {
        T* widget = view->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    std::unique_ptr<forms::Dorvane> model;
    std::unique_ptr<MainWindowView> view;
};

TEST_F(MainWindowViewTest, WidgetsFollowTheModel) {
    auto& m = *model;
    m.CheckLoop.SetValue(1);
    m.CheckMetaData.SetValue(2);
    m.TextBatchSize.SetText("250");
    m.LabelStatus.SetCaption("Proceeding");
    m.LabelStatus.SetForeColor(192);
    m.ButtonLock.SetCaption("Unlock");
    m.LabelLocked.SetVisible(true);
    m.FrameOptions.SetEnabled(false);
    m.FrameLibBox.SetVisible(false);
    m.MNTimeStampLogFile.SetChecked(true);
    m.SourceLibraryCombo.AddItem("DOCSLIB");
    m.SourceLibraryCombo.AddItem("ARCHIVE");
    m.SourceLibraryCombo.SetListIndex(1);
    m.TabStrip.Select(forms::Dorvane::TabTargets);
    int row = m.ListResults.AddItem("1234");
    m.ListResults.SetSubItem(row, 3, "Working...");
    m.ListResults.SetBold(row, true);
    m.LibBox.SetChecked(m.LibBox.AddItem("Archive"), true);

    EXPECT_EQ(Widget<QCheckBox>("CheckLoop")->checkState(), Qt::Checked);
    EXPECT_EQ(Widget<QCheckBox>("CheckMetaData")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(Widget<QLineEdit>("TextBatchSize")->text(), "250");
    auto* status = Widget<QLabel>("LabelStatus");
    EXPECT_EQ(status->text(), "Proceeding");
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    EXPECT_EQ(Widget<QPushButton>("ButtonLock")->text(), "Unlock");
    EXPECT_FALSE(Widget<QLabel>("LabelLocked")->isHidden());
    EXPECT_FALSE(Widget<QCheckBox>("CheckLoop")->isEnabled()) << "a disabled frame takes its controls";
    EXPECT_TRUE(Widget<QGroupBox>("FrameLibBox")->isHidden());
    EXPECT_TRUE(Widget<QAction>("MNTimeStampLogFile")->isChecked());
    EXPECT_FALSE(Widget<QAction>("MNShowTimer")->isVisible());
    EXPECT_EQ(Widget<QComboBox>("SourceLibraryCombo")->currentText(), "ARCHIVE");
    EXPECT_EQ(Widget<QTabWidget>("TabStrip")->currentIndex(), 2);

    auto* results = Widget<QTreeWidget>("ListResults");
    ASSERT_EQ(results->topLevelItemCount(), 1);
    EXPECT_EQ(results->topLevelItem(0)->text(3), "Working...");
    EXPECT_TRUE(results->topLevelItem(0)->font(0).bold());
    auto* targets = Widget<QTreeWidget>("LibBox");
    ASSERT_EQ(targets->topLevelItemCount(), 1);
    EXPECT_EQ(targets->topLevelItem(0)->checkState(0), Qt::Checked);

    // The run updates a row in place and the model's sort reorders the rows.
    m.ListResults.SetSubItem(row, 3, "Finished");
    m.ListResults.AddItem("1000");
    m.ListResults.SetSorted(true);
    ASSERT_EQ(results->topLevelItemCount(), 2);
    EXPECT_EQ(results->topLevelItem(0)->text(0), "1000");
    EXPECT_EQ(results->topLevelItem(1)->text(3), "Finished");
    m.ListResults.Clear();
    EXPECT_EQ(results->topLevelItemCount(), 0);
}

TEST_F(MainWindowViewTest, UserActionsReachTheModelAndItsSignals) {
    auto& m = *model;
    std::vector<std::string> events;
    m.OptionMove.clicked.Connect([&] {
        events.push_back("OptionMove_Click");
        // What the program's handler does: the view must follow mid-event.
        m.CheckMakeReadOnlySource.SetValue(0);
        m.CheckMakeReadOnlySource.SetEnabled(false);
    });
    m.TabStrip.clicked.Connect([&] { events.push_back("TabStrip_Click"); });
    m.Button_Go.clicked.Connect([&] { events.push_back("Button_Go_Click"); });
    m.MNHelp.clicked.Connect([&] { events.push_back("MNHelp_Click"); });
    m.ListResults.columnClicked.Connect([&](int column) {
        events.push_back("ListResults_ColumnClick " + std::to_string(column));
    });

    auto* loop = Widget<QCheckBox>("CheckLoop");
    loop->click();
    EXPECT_EQ(m.CheckLoop.Value(), 1);
    m.CheckLoop.SetValue(2);
    loop->click();
    EXPECT_EQ(m.CheckLoop.Value(), 1) << "a click on a greyed box checks it";
    loop->click();
    EXPECT_EQ(m.CheckLoop.Value(), 0);
    EXPECT_EQ(loop->checkState(), Qt::Unchecked);

    m.CheckMakeReadOnlySource.SetValue(1);
    Widget<QRadioButton>("OptionMove")->click();
    EXPECT_TRUE(m.OptionMove.Value());
    EXPECT_FALSE(m.OptionCopy.Value());
    EXPECT_FALSE(Widget<QRadioButton>("OptionCopy")->isChecked());
    EXPECT_EQ(Widget<QCheckBox>("CheckMakeReadOnlySource")->checkState(), Qt::Unchecked);
    EXPECT_FALSE(Widget<QCheckBox>("CheckMakeReadOnlySource")->isEnabled());

    auto* header = Widget<QTreeWidget>("ListResults")->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));

    auto* delay = Widget<QLineEdit>("TextLoopDelay");
    QTest::keyClicks(delay, "30 s");
    EXPECT_EQ(m.TextLoopDelay.Text(), "30 s");

    QTest::keyClick(Widget<QComboBox>("SourceLibraryCombo"), Qt::Key_Down);  // empty list: nothing
    m.SourceLibraryCombo.AddItem("DOCSLIB");
    m.SourceLibraryCombo.AddItem("ARCHIVE");
    m.SourceLibraryCombo.SetListIndex(0);
    QTest::keyClick(Widget<QComboBox>("SourceLibraryCombo"), Qt::Key_Down);
    EXPECT_EQ(m.SourceLibraryCombo.Text(), "ARCHIVE");

    Widget<QTabWidget>("TabStrip")->setCurrentIndex(3);
    EXPECT_EQ(m.TabStrip.SelectedIndex(), forms::Dorvane::TabPause);

    int target = m.LibBox.AddItem("Archive");
    Widget<QTreeWidget>("LibBox")->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(m.LibBox.Item(target).checked);

    m.TVPause.SetCheckBoxes(true);
    m.TVPause.AddNode("Sunday");
    Widget<QTreeWidget>("TVPause")->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(m.TVPause.Node(0).checked);

    Widget<QPushButton>("Button_Go")->click();
    Widget<QAction>("MNHelp")->trigger();

    EXPECT_EQ(events, (std::vector<std::string>{"OptionMove_Click", "ListResults_ColumnClick 2",
                                                "TabStrip_Click", "Button_Go_Click",
                                                "MNHelp_Click"}));
}

TEST_F(MainWindowViewTest, MenuCheckMarkIsWhatTheHandlerMakesIt) {
    auto& item = model->MNTimeStampLogFile;
    auto* action = Widget<QAction>("MNTimeStampLogFile");
    action->trigger();
    EXPECT_FALSE(action->isChecked()) << "no handler connected: nothing changes";
    item.clicked.Connect([&] { item.SetChecked(!item.Checked()); });
    action->trigger();
    EXPECT_TRUE(item.Checked());
    EXPECT_TRUE(action->isChecked());
    action->trigger();
    EXPECT_FALSE(item.Checked());
    EXPECT_FALSE(action->isChecked());
}

TEST_F(MainWindowViewTest, ClosingAsksTheProgramAndLeavesTheWindowOpen) {
    int requests = 0;
    model->closeRequested.Connect([&] { ++requests; });
    EXPECT_FALSE(view->close());
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(model->Visible());

    // The program's close handler decides to hide it.
    model->SetVisible(false);
    EXPECT_FALSE(view->isVisible());
}

TEST_F(MainWindowViewTest, WindowSeesKeysBeforeTheFocusedControl) {
    std::vector<std::pair<int, int>> downs;
    std::vector<int> presses;
    model->keyDown.Connect([&](int code, int shift) { downs.emplace_back(code, shift); });
    model->keyPress.Connect([&](int ch) { presses.push_back(ch); });
    // The program normalises a number box when it loses the focus.
    model->TextLoopDelay.lostFocus.Connect([&] { model->TextLoopDelay.SetText("12"); });

    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    auto* delay = Widget<QLineEdit>("TextLoopDelay");
    delay->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), delay);

    QTest::keyClick(delay, Qt::Key_Plus, Qt::NoModifier);
    EXPECT_EQ(presses, std::vector<int>{'+'});
    EXPECT_EQ(delay->text(), "+") << "the character still reaches the text box";

    QTest::keyClick(delay, Qt::Key_F12);
    QTest::keyClick(delay, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(delay, Qt::Key_Escape);
    QTest::keyClick(delay, Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
    namespace k = forms::keys;
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{k::F12, 0},
                                                       {k::Insert, k::ShiftMask},
                                                       {k::Escape, 0},
                                                       {k::F9, k::CtrlMask | k::AltMask}}));

    Widget<QLineEdit>("TextRetryCount")->setFocus();
    EXPECT_EQ(model->TextLoopDelay.Text(), "12");
    EXPECT_EQ(delay->text(), "12");
}

TEST_F(MainWindowViewTest, ActivationCountsOnlyWhenComingFromAnotherOfTheProgramsWindows) {
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    int activations = 0;
    model->activated.Connect([&] { ++activations; });

    // A message box or dialog in between is no new activation.
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    EXPECT_EQ(activations, 0);

    forms::KestSplash splashModel;
    SplashView splash(splashModel);
    splashModel.SetVisible(true);
    splash.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&splash));
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    EXPECT_EQ(activations, 1);
}

TEST_F(MainWindowViewTest, UserMovesGoBackToTheModelInTwips) {
    view->move(40, 60);
    QApplication::processEvents();
    EXPECT_EQ(model->Left(), 40 * 15);
    EXPECT_EQ(model->Top(), 60 * 15);
    model->Move(1500, 3000);
    EXPECT_EQ(view->pos(), QPoint(100, 200));
}

}  // namespace
}  // namespace gui
