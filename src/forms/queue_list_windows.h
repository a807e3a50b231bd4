#pragma once
// The two list windows of the queue administration, built alike: a frame
// with a report-style list that several rows can be selected in, and a
// hidden menu "Main" whose items form the list's popup menu. The program
// asks the view for the popup with popupRequested.
//   Dorvane_Summary: the pending rows of the connected library's queue.
//   Dorvane_NextKey: the last document number of every library.

#include "forms/frame.h"
#include "forms/list_view.h"
#include "forms/menu_item.h"
#include "forms/window.h"

namespace forms {

class QueueListWindow : public Window {
public:
    QueueListWindow(std::string name, std::string caption);

    Frame FrameListResults{"FrameListResults", "", "Press F5 to refresh the list"};
    ListView ListResults{"ListResults", "", "Press F5 to refresh the list"};
    MenuItem MNMain{"MNMain", "Main"};

    // Shows MNMain's items as a popup menu at the mouse; the view answers.
    Signal<> popupRequested;
};

class DorvaneSummary : public QueueListWindow {
public:
    DorvaneSummary();

    MenuItem MNRemove{"MNRemove", "Remove"};
    MenuItem MNReset{"MNReset", "Reset Lock"};
    MenuItem MNLine01{"MNLine01", "-"};
    MenuItem MNDisplayProfile{"MNDisplayProfile", "Display Profile"};
    MenuItem MNLine02{"MNLine02", "-"};
    MenuItem MNSelectAll{"MNSelectAll", "&Select All"};
    MenuItem MNDeselectAll{"MNDeselectAll", "&De-Select All"};
};

class DorvaneNextKey : public QueueListWindow {
public:
    DorvaneNextKey();

    MenuItem MNChangeLastKey{"MNChangeLastKey", "Change Lastkey"};
    MenuItem MNLine02{"MNLine02", "-"};
    MenuItem MNSelectAll{"MNSelectAll", "&Select All"};
    MenuItem MNDeselectAll{"MNDeselectAll", "&De-Select All"};
};

}  // namespace forms
