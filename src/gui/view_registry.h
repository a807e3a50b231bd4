#pragma once
// The views of the windows that the program shows modally, registered with
// the Qt host by window name. Each window's view is added here as it is
// built; a test checks that every modal window of the assembly has one.

namespace gui {

class QtHost;

void RegisterViews(QtHost& host);

}  // namespace gui
