#pragma once
// The DM settings viewer "KestOptions": a library list, the option names of
// the library connected at opening, the chosen option's value, and a status
// bar with the primary library, the user id and the primary group. Nothing
// here can be changed in the DM.

#include "forms/button.h"
#include "forms/combo_box.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/window.h"

namespace forms {

class KestOptions : public Window {
public:
    KestOptions();

    Frame FrameProperties{"FrameProperties"};
    Label LabelLibList{"LabelLibList", "Library:"};
    ComboBox ComboLibList{"ComboLibList"};
    Label LabelPropertyValue{"LabelPropertyValue", "Property Value:"};
    ComboBox ComboPropertyItem{"ComboPropertyItem"};
    Label LabelPropertyResult{"LabelPropertyResult"};

    Frame FrameButtons{"FrameButtons"};
    Button ButtonExit{"ButtonExit", "&Close"};

    // The three panels of the status bar StatusBarInfo.
    Label StatusBarInfo1{"StatusBarInfo1", "", "Your primary library"};
    Label StatusBarInfo2{"StatusBarInfo2", "", "Your User ID"};
    Label StatusBarInfo3{"StatusBarInfo3", "", "Your primary group"};
};

}  // namespace forms
