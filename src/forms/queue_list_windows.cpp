#include "forms/queue_list_windows.h"

namespace forms {

QueueListWindow::QueueListWindow(std::string name, std::string caption)
    : Window(std::move(name), std::move(caption)) {
    Register({&FrameListResults, &ListResults, &MNMain});
    MNMain.SetVisible(false);
    ListResults.SetMultiSelect(true);
    ListResults.SetLeft(30);
    ListResults.SetTop(120);
    ListResults.SetWidth(5835);
    ListResults.SetHeight(5400);
    FrameListResults.SetWidth(5835 + 60);
    FrameListResults.SetHeight(5400 + 200);
    Resize(5835 + 60 + 120, 5400 + 200 + 400);
}

DorvaneSummary::DorvaneSummary() : QueueListWindow("Dorvane_Summary", "Dorvane Pending Rows") {
    Register({&MNRemove, &MNReset, &MNLine01, &MNDisplayProfile, &MNLine02, &MNSelectAll, &MNDeselectAll});
    for (MenuItem* item : {&MNRemove, &MNReset, &MNLine01, &MNDisplayProfile, &MNLine02, &MNSelectAll,
                           &MNDeselectAll}) {
        MNMain.Add(*item);
    }
    ListResults.AddColumn("#", 900);
    ListResults.AddColumn("Target Library", 1400);
    ListResults.AddColumn("Retry Count", 1000, ColumnHeader::Right);
    ListResults.AddColumn("Locked By", 1300);
    ListResults.AddColumn("Status", 900);
}

DorvaneNextKey::DorvaneNextKey() : QueueListWindow("Dorvane_NextKey", "Last Assigned Profile Docnumber") {
    Register({&MNChangeLastKey, &MNLine02, &MNSelectAll, &MNDeselectAll});
    for (MenuItem* item : {&MNChangeLastKey, &MNLine02, &MNSelectAll, &MNDeselectAll}) MNMain.Add(*item);
    ListResults.AddColumn("Library", 2000);
    ListResults.AddColumn("LastKey", 2000);
}

}  // namespace forms
