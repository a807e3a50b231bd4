#pragma once
// Creates the Qt application object; without a display it falls back to
// Qt's offscreen platform so unattended runs work on a server. Standard
// error is the program's own: Qt's notes about what its platform cannot do
// are kept off it in every mode.

#include <QtGlobal>
#include <memory>

class QApplication;
class QString;

namespace gui {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

// A note of Qt's window-system layer that tells a user nothing: a request
// the platform cannot honour, the runtime folder (even when Qt calls it
// critical), the platform plugin's own chatter. Other errors of Qt
// (critical, fatal) never are.
bool IsPlatformChatter(QtMsgType type, const char* category, const QString& message);

}  // namespace gui
