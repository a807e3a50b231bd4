#pragma once
// One QApplication for the whole test binary (offscreen platform). It is
// made before the first test and deleted after the last one, not among the
// exit handlers, where Qt's own globals are already gone.

#include <QApplication>

namespace gui::testing {

QApplication& TestApp();

}  // namespace gui::testing
