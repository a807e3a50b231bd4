#include "queueadmin/list_window.h"

#include "core/program.h"
#include "core/text.h"

namespace queueadmin {

ListWindowCode::ListWindowCode(core::Program& program, forms::QueueListWindow& window)
    : p_(program), window_(window) {}

void ListWindowCode::ConnectShared() {
    window_.ListResults.columnClicked.Connect([this](int c) { ListResults_ColumnClick(c); });
    window_.ListResults.mouseUp.Connect([this](int button, int shift) { ListResults_MouseUp(button, shift); });
    window_.changed.Connect([this] {
        if (window_.Width() != laidOutWidth_ || window_.Height() != laidOutHeight_) Form_Resize();
    });
    Form_Resize();
}

int ListWindowCode::FindColumn(const forms::ListView& list, const std::string& header, bool upperCase) {
    const auto& columns = list.Columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        const std::string caption = upperCase ? core::Upper(columns[c].caption) : columns[c].caption;
        if (caption == header) return static_cast<int>(c);
    }
    return -1;
}

void ListWindowCode::SetCell(forms::ListView& list, int row, int column, const std::string& text) {
    if (column == 0) {
        list.SetItemText(row, text);
    } else {
        list.SetSubItem(row, column, text);
    }
}

void ListWindowCode::ListResults_ColumnClick(int column) {
    auto& ui = p_.platform.ui;
    auto& list = window_.ListResults;
    if (column < 0 || column >= static_cast<int>(list.Columns().size())) return;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    const std::string header = list.Columns()[column].caption;
    list.SetSortKey(column);
    if (header == sortHeader_) {
        list.SetSortOrder(sortOrder_ == forms::ListView::Descending ? forms::ListView::Ascending
                                                                    : forms::ListView::Descending);
    } else {
        list.SetSortOrder(forms::ListView::Ascending);
    }
    sortOrder_ = list.SortOrder();
    sortHeader_ = header;
    list.SetSorted(true);
    ui.SetMousePointer(platform::MousePointer::Default);
}

void ListWindowCode::ListResults_MouseUp(int button, int /*shift*/) {
    if (button != forms::mouse::RightButton) return;
    if (window_.ListResults.Count() == 0) return;
    EnablePopupItems();
    window_.popupRequested.Emit();
}

void ListWindowCode::SelectAll(bool selected) {
    auto& list = window_.ListResults;
    for (int i = 0; i < list.Count(); ++i) list.SetSelected(i, selected);
}

void ListWindowCode::Form_Resize() {
    laidOutWidth_ = window_.Width();
    laidOutHeight_ = window_.Height();
    auto& frame = window_.FrameListResults;
    auto& list = window_.ListResults;
    // A size that cannot be set stays as it was; the list follows the
    // frame's actual size.
    if (laidOutWidth_ - 120 >= 0) frame.SetWidth(laidOutWidth_ - 120);
    if (laidOutHeight_ - 400 >= 0) frame.SetHeight(laidOutHeight_ - 400);
    if (frame.Width() - 60 >= 0) list.SetWidth(frame.Width() - 60);
    if (frame.Height() - 200 >= 0) list.SetHeight(frame.Height() - 200);
}

}  // namespace queueadmin
