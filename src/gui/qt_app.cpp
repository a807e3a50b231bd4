#include "gui/qt_app.h"

#include <QApplication>
#include <cstdlib>

namespace gui {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && (!x11 || !*x11) && (!wayland || !*wayland)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace gui
