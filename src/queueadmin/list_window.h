#pragma once
// What the two queue list windows share: the column sort, the popup menu on
// a right click, selecting or deselecting every row, the layout on resize,
// and finding a column by its header.

#include <string>

#include "forms/queue_list_windows.h"

namespace core {
class Program;
}

namespace queueadmin {

class ListWindowCode {
public:
    // The window may be a member of the derived class, built after this
    // base: the derived constructor connects the shared handlers.
    ListWindowCode(core::Program& program, forms::QueueListWindow& window);
    virtual ~ListWindowCode() = default;
    ListWindowCode(const ListWindowCode&) = delete;
    ListWindowCode& operator=(const ListWindowCode&) = delete;

    void ListResults_ColumnClick(int column);
    void ListResults_MouseUp(int button, int shift);
    void SelectAll(bool selected);
    void Form_Resize();

    // The column whose header is the text (compared upper-cased when asked);
    // -1 when there is none.
    static int FindColumn(const forms::ListView& list, const std::string& header, bool upperCase = false);
    // Column 0 is the row's text, any other its sub-item.
    static void SetCell(forms::ListView& list, int row, int column, const std::string& text);

protected:
    void ConnectShared();
    // Sets the popup items' enabled state before the popup shows.
    virtual void EnablePopupItems() {}

    core::Program& p_;

private:
    forms::QueueListWindow& window_;
    int sortOrder_ = 0;
    std::string sortHeader_;
    int laidOutWidth_ = -1;
    int laidOutHeight_ = -1;
};

}  // namespace queueadmin
