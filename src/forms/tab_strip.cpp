#include "forms/tab_strip.h"

namespace forms {

void TabStrip::AddTab(const std::string& caption, const std::string& toolTip) {
    tabs_.push_back({caption, toolTip});
    if (selected_ == 0) selected_ = 1;
    changed.Emit();
}

bool TabStrip::Select(int index) {
    if (index < 1 || index > Count()) return false;
    Set(selected_, index);
    clicked.Emit();
    return true;
}

}  // namespace forms
