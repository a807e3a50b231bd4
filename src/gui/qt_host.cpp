#include "gui/qt_host.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "forms/window.h"
#include "gui/choice_dialog.h"
#include "gui/file_filter.h"
#include "gui/message_box_codes.h"
#include "gui/qt_text.h"

namespace gui {

namespace {

// Boxes and dialogs belong to whichever of our windows is active.
QWidget* DialogParent() { return QApplication::activeWindow(); }

QStringList ToQtList(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& item : items) list << ToQt(item);
    return list;
}

}  // namespace

QtHost::~QtHost() {
    if (pointer_ != platform::MousePointer::Default) QApplication::restoreOverrideCursor();
}

void QtHost::RegisterView(const std::string& windowName, ViewFactory factory) {
    factories_[windowName] = std::move(factory);
}

int QtHost::MessageBox(const std::string& prompt, int buttons, const std::string& title) {
    MessageBoxLayout layout = LayoutForCode(buttons);
    QMessageBox box(layout.icon, ToQt(title), ToQtLines(prompt), QMessageBox::NoButton,
                    DialogParent());
    box.setTextFormat(Qt::PlainText);
    for (auto button : layout.buttons) box.addButton(button);
    // The first button is the default, as the codes mean it.
    box.setDefaultButton(layout.buttons.front());
    box.setEscapeButton(layout.escape);
    box.exec();
    int answer = AnswerFor(box.standardButton(box.clickedButton()));
    return answer ? answer : AnswerFor(layout.escape);
}

std::optional<std::string> QtHost::InputBox(const std::string& prompt, const std::string& title,
                                            const std::string& defaultText) {
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(ToQt(title));
    dialog.setLabelText(ToQtLines(prompt));
    // A long prompt wraps: the box keeps to the screen, its buttons in sight.
    if (auto* label = dialog.findChild<QLabel*>()) label->setWordWrap(true);
    dialog.setTextValue(ToQt(defaultText));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FromQt(dialog.textValue());
}

std::optional<std::string> QtHost::SaveFileDialog(const platform::FileDialogRequest& request) {
    QFileDialog dialog(DialogParent(), ToQt(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The caller decides what becomes of the file; choosing an existing one
    // (the current log file, say) is no overwrite.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQt(request.defaultExt));
    if (!request.initialDir.empty()) {
        // The start folder may be given as a file's full name.
        QFileInfo start(ToQt(request.initialDir));
        dialog.setDirectory(start.isDir() ? start.absoluteFilePath() : start.absolutePath());
    }
    if (!request.fileName.empty()) dialog.selectFile(ToQt(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return FromQt(dialog.selectedFiles().front());
}

int QtHost::ChooseOne(const std::string& title, const std::vector<std::string>& items) {
    ChoiceDialog dialog(ToQt(title), ToQtList(items), false, DialogParent());
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty()) return -1;
    return dialog.Chosen().front();
}

bool QtHost::ChooseMany(const std::string& title, const std::vector<std::string>& items,
                        std::vector<int>& chosen) {
    ChoiceDialog dialog(ToQt(title), ToQtList(items), true, DialogParent());
    dialog.Preselect(QList<int>(chosen.begin(), chosen.end()));
    chosen.clear();
    if (dialog.exec() != QDialog::Accepted) return false;
    for (int row : dialog.Chosen()) chosen.push_back(row);
    return true;
}

void QtHost::ShowText(const std::string& title, const std::string& text) {
    QDialog dialog(DialogParent());
    dialog.setWindowTitle(ToQt(title));
    auto* view = new QPlainTextEdit(ToQtLines(text));
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    dialog.resize(640, 480);
    dialog.exec();
}

bool QtHost::RunModal(forms::Window& window) {
    window.Open();
    auto it = factories_.find(window.Name());
    std::unique_ptr<QWidget> view;
    if (it != factories_.end() && window.IsOpen()) view = it->second(window);
    if (!view) {
        window.Close();
        return false;
    }
    QEventLoop loop;
    int closedId = window.closed.Connect([&loop] { loop.quit(); });
    view->setWindowModality(Qt::ApplicationModal);
    window.SetVisible(true);
    view->show();
    if (window.IsOpen()) loop.exec();
    window.closed.Disconnect(closedId);
    view->hide();
    view.reset();
    window.SetVisible(false);
    return true;
}

void QtHost::SetMousePointer(platform::MousePointer pointer) {
    if (pointer == pointer_) return;
    if (pointer_ != platform::MousePointer::Default) QApplication::restoreOverrideCursor();
    if (pointer == platform::MousePointer::Hourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
    pointer_ = pointer;
}

void QtHost::Beep() { QApplication::beep(); }

void QtHost::PumpEvents() {
    // Called for every status line: each pass lays out and repaints the
    // window, which would cost more than the work it reports.
    const auto now = std::chrono::steady_clock::now();
    if (pumped_ && now - lastPump_ < kPumpInterval) return;
    pumped_ = true;
    lastPump_ = now;
    QCoreApplication::processEvents();
}

bool QtHost::HasDisplay() const {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

std::pair<int, int> QtHost::ScreenSizeTwips() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return IUiHost::ScreenSizeTwips();
    QRect area = screen->availableGeometry();
    return {TwipsFromPixels(area.width()), TwipsFromPixels(area.height())};
}

}  // namespace gui
