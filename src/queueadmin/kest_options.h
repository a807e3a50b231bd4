#pragma once
// The DM settings viewer's code: shows the options the DM reports for the
// user in each library. Choosing a library switches the whole DM session to
// it; every way of closing switches it back to the library of the opening.

#include <string>

#include "dmclient/dm_interfaces.h"
#include "forms/kest_options_window.h"

namespace core {
class Program;
}

namespace queueadmin {

class KestOptionsForm {
public:
    explicit KestOptionsForm(core::Program& program);
    KestOptionsForm(const KestOptionsForm&) = delete;
    KestOptionsForm& operator=(const KestOptionsForm&) = delete;

    forms::KestOptions& Window() { return w_; }
    // Loads the window and shows it modally; the session is back on the
    // opening library when it returns.
    void Show();

    void Form_Load();
    void ComboLibList_Click();
    void ComboPropertyItem_Click();
    void ButtonExit_Click();
    void Form_Unload();

    const std::string& OpeningLibrary() const { return openingLibrary_; }

private:
    void FillStatusBar();
    void ShowChosenValue();

    core::Program& p_;
    forms::KestOptions w_;
    std::string openingLibrary_;
    dm::PropertiesPtr properties_;
    // Selections made while the window fills its lists run no handler work.
    bool loading_ = false;
};

}  // namespace queueadmin
