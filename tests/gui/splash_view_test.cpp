#include "gui/splash_view.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <vector>

#include "forms/splash_window.h"
#include "gui/qt_host.h"
#include "gui/qt_test_app.h"
#include "gui/view_registry.h"

namespace gui {
namespace {

TEST(SplashViewTest, ShowsCaptionsAndHandsKeysAndMouseToTheProgram) {
    testing::TestApp();
    forms::KestSplash model;
    SplashView view(model);
    EXPECT_FALSE(view.isVisible());
    model.SetVisible(true);
    EXPECT_TRUE(view.isVisible());

    model.ProductName.SetCaption(model.ProductName.Caption() + " \r\n(dIRAZ 10.0)");
    model.LabelStatus.SetCaption("Press any key to continue");
    auto* name = view.findChild<QLabel*>("ProductName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Dorvane for DodiDida dIRAZ \n(dIRAZ 10.0)");
    EXPECT_EQ(view.findChild<QLabel*>("LabelStatus")->text(), "Press any key to continue");

    std::vector<int> presses;
    std::vector<std::pair<int, int>> mouseUps;
    model.keyPress.Connect([&](int ch) { presses.push_back(ch); });
    model.KestSplashFrame.mouseUp.Connect(
        [&](int button, int shift) { mouseUps.emplace_back(button, shift); });
    QTest::keyClick(&view, Qt::Key_A);
    // A release over a label reaches the frame under it.
    QTest::mouseClick(name, Qt::LeftButton);
    EXPECT_EQ(presses, std::vector<int>{'a'});
    EXPECT_EQ(mouseUps, (std::vector<std::pair<int, int>>{{1, 0}}));

    // The handlers close it; a close by the window system only asks.
    int requests = 0;
    model.closeRequested.Connect([&] { ++requests; });
    EXPECT_FALSE(view.close());
    EXPECT_EQ(requests, 1);
    model.SetVisible(false);
    EXPECT_FALSE(view.isVisible());
}

TEST(SplashViewTest, AboutRunsModallyUntilTheKeyHandlerClosesIt) {
    testing::TestApp();
    QtHost host;
    RegisterViews(host);
    forms::KestSplash about;
    about.keyPress.Connect([&](int) {
        about.SetVisible(false);
        about.Close();
    });
    QTimer::singleShot(0, [&] {
        auto* view = QApplication::activeModalWidget();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->objectName(), "KestSplash");
        QTest::keyClick(view, Qt::Key_Space);
    });
    host.RunModal(about);
    EXPECT_FALSE(about.IsOpen());
}

}  // namespace
}  // namespace gui
