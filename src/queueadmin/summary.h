#pragma once
// The pending rows view "Dorvane_Summary": every row of the connected
// library's queue, with removing rows, resetting their lock and showing a
// row's document profile.

#include "queueadmin/list_window.h"

namespace queueadmin {

class SummaryForm : public ListWindowCode {
public:
    explicit SummaryForm(core::Program& program);

    forms::DorvaneSummary& Window() { return w_; }
    // Loads the window (a refresh) and shows it modally.
    void Show();

    void RefreshMe();
    void Form_KeyDown(int keyCode, int shift);
    void RemoveQueueRows();
    void ResetQueueRows();
    void DisplayProfile();

private:
    void EnablePopupItems() override;

    forms::DorvaneSummary w_;
};

}  // namespace queueadmin
