#include "gui/qt_app.h"

#include <QApplication>
#include <QString>
#include <cstdlib>
#include <cstring>

namespace gui {

namespace {

QtMessageHandler previousHandler = nullptr;

void QuietPlatformHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (IsPlatformChatter(type, context.category, message)) return;
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

bool IsPlatformChatter(QtMsgType type, const char* category, const QString& message) {
    if (type == QtFatalMsg) return false;
    // Qt reports a runtime folder it cannot create (TMPDIR not writable) as
    // critical, yet nothing of the program needs that folder.
    if (message.startsWith("QStandardPaths: ")) return true;
    if (type == QtCriticalMsg) return false;
    if (category && std::strncmp(category, "qt.qpa", 6) == 0) return true;
    return message.startsWith("This plugin does not support");
}

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && (!x11 || !*x11) && (!wayland || !*wayland)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Before the application exists: the platform speaks while it starts.
    previousHandler = qInstallMessageHandler(QuietPlatformHandler);
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace gui
