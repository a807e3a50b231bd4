// The program: wires the Qt host, the platform stand-ins and the DM client
// implementation together.

#include <QApplication>

#include "gui/qt_app.h"

int main(int argc, char** argv) {
    auto app = gui::CreateApplication(argc, argv);
    return 0;
}
