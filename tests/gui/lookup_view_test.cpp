// The lookup dialog's view: shown modally over a real load on a small
// emulated site, its controls drive the dialog's code, and its picture is
// kept as a test artefact (artifacts/ in the build folder).

#include "gui/lookup_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "gui/qt_host.h"
#include "gui/qt_test_app.h"
#include "gui/view_registry.h"
#include "test_support/program_fixture.h"

namespace gui {
namespace {

class LookupViewTest : public test_support::ProgramTest {
protected:
    static void SetUpTestSuite() { testing::TestApp(); }

    void SetUp() override {
        CreateSite();
        site_.AddGroup("DOCS", "LEGAL", "Legal department");
        site_.AddGroup("DOCS", "ACCOUNTS", "Accounts and billing");
        site_.AddGroup("DOCS", "PARTNERS", "Partners");
        site_.AddPerson("DOCS", "OBRIEN", "Pat O'Brien", "LEGAL");
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }

    // Shows the dialog through the Qt host on table; whileOpen acts on the
    // view once it is up.
    void ShowInQt(const std::string& table, std::function<void(QWidget*)> whileOpen) {
        QtHost host;
        RegisterViews(host);
        // The program's host must be the Qt one for the modal showing.
        auto& dialog = app_->lookupDialog;
        dialog.LookupTable = table;
        dialog.LookupMultiSelect = true;
        dialog.LookupReturnText = true;
        ui_.OnModal("KestLookup", [&](forms::Window& window) {
            window.Close();
            QTimer::singleShot(0, [&] {
                QWidget* view = QApplication::activeModalWidget();
                ASSERT_NE(view, nullptr);
                whileOpen(view);
                // A failed check must not leave the dialog waiting.
                window.Close();
            });
            host.RunModal(window);
        });
        dialog.Show();
    }
};

TEST_F(LookupViewTest, ShowsTheRowsSearchesAndHandsBackTheSelection) {
    ShowInQt("GROUPS", [&](QWidget* view) {
        EXPECT_EQ(view->objectName(), "KestLookup");
        EXPECT_EQ(view->windowTitle(), "Lookup GROUPS in library DOCS");
        auto* list = view->findChild<QTreeWidget*>("LookupList");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->headerItem()->text(0), "GROUP_ID");
        EXPECT_EQ(list->headerItem()->text(1), "GROUP_NAME");
        // Sorted by its first column with a click on the header.
        QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
                          QPoint(list->header()->sectionViewportPosition(0) + 5, 5));
        EXPECT_EQ(list->topLevelItem(0)->text(0), "ACCOUNTS");
        view->resize(view->sizeHint().expandedTo(QSize(620, 420)));
        QApplication::processEvents();
        QPixmap picture = view->grab();
        std::filesystem::create_directories(DORVANE_ARTIFACTS);
        EXPECT_TRUE(picture.save(QString::fromStdString(std::string(DORVANE_ARTIFACTS) + "/lookup_dialog.png")));

        // Search on the name column, Enter in the filter text.
        auto* combo = view->findChild<QComboBox*>("ComboFilterList");
        ASSERT_NE(combo, nullptr);
        const int nameColumn = combo->findText("GROUP_NAME");
        combo->setCurrentIndex(nameColumn);
        emit combo->activated(nameColumn);
        auto* text = view->findChild<QLineEdit*>("TextFilter");
        QTest::keyClicks(text, "billing");
        QTest::keyClick(text, Qt::Key_Return);
        ASSERT_EQ(list->topLevelItemCount(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        EXPECT_EQ(view->findChild<QLabel*>("LabelSelected")->text(), "1");
        view->findChild<QPushButton*>("Button_OK")->click();
    });
    EXPECT_EQ(app_->lookupDialog.LookupResultCount, 1);
    EXPECT_EQ(app_->lookupDialog.LookupResults.at(1), "ACCOUNTS");
}

TEST_F(LookupViewTest, EscapeCancelsTheDialog) {
    ShowInQt("GROUPS", [&](QWidget* view) {
        auto* list = view->findChild<QTreeWidget*>("LookupList");
        list->topLevelItem(0)->setSelected(true);
        QTest::keyClick(list, Qt::Key_Escape);
    });
    EXPECT_EQ(app_->lookupDialog.LookupResultCount, 0);
    EXPECT_FALSE(app_->lookupDialog.Window().IsOpen());
}

}  // namespace
}  // namespace gui
