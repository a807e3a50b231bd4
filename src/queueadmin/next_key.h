#pragma once
// The last-key view "Dorvane_NextKey": the last document number each
// library assigned (SEQ_PROFILE.LASTKEY), and raising it for the selected
// libraries. It visits the libraries itself and reconnects the library of
// its start after every refresh and change.

#include "queueadmin/list_window.h"

namespace queueadmin {

class NextKeyForm : public ListWindowCode {
public:
    explicit NextKeyForm(core::Program& program);

    forms::DorvaneNextKey& Window() { return w_; }
    // Loads the window (a refresh) and shows it modally.
    void Show();

    void RefreshMe();
    void SetProfileLastKey();

private:
    forms::DorvaneNextKey w_;
};

}  // namespace queueadmin
