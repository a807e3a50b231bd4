// The views of the queue administration's windows, loaded by their code on
// a small emulated site; each picture is kept as a test artefact
// (artifacts/ in the build folder).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "dmsim/queue_table.h"
#include "forms/key_codes.h"
#include "gui/kest_options_view.h"
#include "gui/qt_host.h"
#include "gui/qt_test_app.h"
#include "gui/queue_list_view.h"
#include "queueadmin/kest_options.h"
#include "queueadmin/next_key.h"
#include "queueadmin/summary.h"
#include "test_support/program_fixture.h"

namespace {

class QueueAdminViewsTest : public test_support::ProgramTest {
protected:
    static void SetUpTestSuite() { gui::testing::TestApp(); }

    void SetUp() override {
        site_.Library("DOCS").SettingsTable(true).LastDocNumber(5000);
        site_.Library("ARCHIVE").LastDocNumber(1200);
        site_.Library("ARCHIVE2").LastDocNumber(87);
        CreateSite();
        dmsim::InstallQueueTable(site_.Db("DOCS"));
        const char* rows[] = {"101, 0, '', 0, 'ARCHIVE'", "101, 0, '', 0, 'ARCHIVE2'", "102, -1, 'TESTPC', 1, 'ARCHIVE'",
                              "97, 0, 'SYSTEM', 5, 'ARCHIVE'"};
        for (const char* row : rows) {
            site_.Sql("DOCS", std::string("INSERT INTO NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, "
                                          "TARGET_LIBRARY, TABLE_NAME) VALUES (") +
                                  row + ", 'PROFILE')");
        }
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }

    static void Keep(QWidget& view, const std::string& name) {
        QApplication::processEvents();
        ASSERT_TRUE(view.isVisible());
        QPixmap picture = view.grab();
        EXPECT_GE(picture.width(), 200);
        std::filesystem::create_directories(DORVANE_ARTIFACTS);
        const std::string file = std::string(DORVANE_ARTIFACTS) + "/" + name + ".png";
        EXPECT_TRUE(picture.save(QString::fromStdString(file)));
    }
};

TEST_F(QueueAdminViewsTest, DmSettingsViewer) {
    queueadmin::KestOptionsForm form(*program_);
    form.Form_Load();
    gui::KestOptionsView view(form.Window());
    form.Window().SetVisible(true);
    auto* libraries = view.findChild<QComboBox*>("ComboLibList");
    ASSERT_NE(libraries, nullptr);
    EXPECT_EQ(libraries->count(), 3);
    EXPECT_EQ(libraries->currentText(), "DOCS");
    // A choice in the list reaches the program, which switches the session.
    libraries->activated(1);
    EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
    libraries->activated(0);
    Keep(view, "dm_settings_viewer");
    form.ButtonExit_Click();
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
}

TEST_F(QueueAdminViewsTest, PendingRowsView) {
    queueadmin::SummaryForm form(*program_);
    form.RefreshMe();
    gui::QueueListView view(form.Window());
    form.Window().SetVisible(true);
    auto* list = view.findChild<QTreeWidget*>("ListResults");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->headerItem()->text(1), "Target Library");
    list->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(form.Window().ListResults.SelectedCount(), 1);
    Keep(view, "pending_rows_view");
    // Every column shows whole, at no less than its header's width; the
    // retry count stands on the right.
    int columns = 0;
    for (int c = 0; c < list->columnCount(); ++c) {
        EXPECT_GE(list->columnWidth(c), list->header()->sectionSizeHint(c)) << c;
        columns += list->columnWidth(c);
    }
    EXPECT_LE(columns, list->viewport()->width());
    EXPECT_EQ(list->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list->topLevelItem(0)->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list->topLevelItem(0)->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    // A right click shows the popup as the program set it; its items run
    // the program's commands.
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            shown << action->text() + (action->isEnabled() ? "" : " (off)");
            if (action->text() == "Reset Lock") action->trigger();
        }
        menu->close();
    });
    list->topLevelItem(3)->setSelected(true);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->topLevelItem(3)).center());
    EXPECT_EQ(shown, (QStringList{"Remove", "Reset Lock", "Display Profile (off)", "&Select All", "&De-Select All"}));
    EXPECT_EQ(Value("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 102 AND STATUS = 0 AND "
                            "LOCKED_BY = '' AND RETRY_COUNT = 0"),
              "1");

    // Escape closes it.
    form.Window().Open();
    QTest::keyClick(list, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(form.Window().IsOpen());
    EXPECT_FALSE(view.isVisible());
}

// A key whose handler shows a box reaches the window once: the box takes
// the focus while the key still travels from the list up to the window.
TEST_F(QueueAdminViewsTest, OneKeyIsOneQuestion) {
    forms::DorvaneSummary model;
    model.ListResults.AddItem("101");
    model.ListResults.SetSelected(0, true);
    gui::QueueListView view(model);
    model.SetVisible(true);
    auto* list = view.findChild<QTreeWidget*>("ListResults");
    ASSERT_NE(list, nullptr);
    auto focusList = [&] {
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
        list->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), list);
    };

    // As the pending rows view asks: No ends it; Yes may end in an error
    // box (a refused removal).
    gui::QtHost host;
    std::vector<int> heard;
    QMessageBox::StandardButton answer = QMessageBox::No;
    model.keyDown.Connect([&](int key, int) {
        heard.push_back(key);
        if (key != forms::keys::Delete) return;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->button(answer)->click();
        });
        if (host.MessageBox("Are you sure?", platform::mb::YesNo | platform::mb::Question, "Dorvane") ==
            platform::mb::AnswerYes) {
            QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
            host.MessageBox("Error: refused", platform::mb::Critical, "Dorvane");
        }
    });
    for (auto button : {QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(button == QMessageBox::No ? "No" : "Yes");
        focusList();
        heard.clear();
        answer = button;
        QTest::keyClick(view.windowHandle(), Qt::Key_Delete);
        QApplication::processEvents();
        EXPECT_EQ(heard, std::vector<int>{forms::keys::Delete});
    }
    focusList();
    heard.clear();
    QTest::keyClick(view.windowHandle(), Qt::Key_F5);
    EXPECT_EQ(heard, std::vector<int>{forms::keys::F5});
}

TEST_F(QueueAdminViewsTest, LastKeyView) {
    queueadmin::NextKeyForm form(*program_);
    form.RefreshMe();
    gui::QueueListView view(form.Window());
    form.Window().SetVisible(true);
    auto* list = view.findChild<QTreeWidget*>("ListResults");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "ARCHIVE");
    EXPECT_EQ(list->topLevelItem(2)->text(1), "5000");
    Keep(view, "last_key_view");
}

}  // namespace
