#pragma once
// A tab strip: tabs with a caption and a tool tip, numbered from 1, and the
// selected tab.

#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

struct Tab {
    std::string caption;
    std::string toolTip;
};

class TabStrip : public Control {
public:
    using Control::Control;

    int Count() const { return static_cast<int>(tabs_.size()); }
    const std::vector<Tab>& Tabs() const { return tabs_; }
    // Throws std::out_of_range for an index outside 1 .. Count().
    const Tab& TabAt(int index) const { return tabs_.at(index - 1); }
    // The first tab added becomes the selected one.
    void AddTab(const std::string& caption, const std::string& toolTip = {});

    // 0 while there is no tab.
    int SelectedIndex() const { return selected_; }
    // Selects tab index and emits clicked, by the user or by code (the
    // program's click handler lays out the tab's frames). An index outside
    // 1 .. Count() is refused: false, nothing happens.
    bool Select(int index);

    Signal<> clicked;

private:
    std::vector<Tab> tabs_;
    int selected_ = 0;
};

}  // namespace forms
