#pragma once
// The splash window "KestSplash": shown during start-up with its progress
// line, and again as the About window. It closes on a key press (the
// window's keyPress) or on a mouse button released over its frame
// (KestSplashFrame.mouseUp); the program connects both.

#include "forms/frame.h"
#include "forms/label.h"
#include "forms/window.h"

namespace forms {

class KestSplash : public Window {
public:
    KestSplash();

    Frame KestSplashFrame{"KestSplashFrame"};
    Label ProductName{"ProductName", "Dorvane for DodiDida dIRAZ"};
    Label KestVersion{"KestVersion"};
    Label LabelStatus{"LabelStatus"};
};

}  // namespace forms
