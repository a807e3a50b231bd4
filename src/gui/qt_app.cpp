#include "gui/qt_app.h"

#include <QApplication>
#include <QString>
#include <cstdlib>

namespace gui {

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform reports every window-manager request it cannot
// honour; an unattended run has no window manager, so those notes are noise.
void QuietOffscreenHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && (message.startsWith("This plugin does not support") ||
                                 message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && (!x11 || !*x11) && (!wayland || !*wayland)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        previousHandler = qInstallMessageHandler(QuietOffscreenHandler);
    }
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace gui
