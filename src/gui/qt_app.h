#pragma once
// Creates the Qt application object; without a display it falls back to
// Qt's offscreen platform so unattended runs work on a server.

#include <memory>

class QApplication;

namespace gui {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

}  // namespace gui
