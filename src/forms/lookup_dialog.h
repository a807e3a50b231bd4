#pragma once
// The lookup dialog "KestLookup": the rows of one DM lookup table in a
// sortable list, a text filter on one of its columns, and OK and Cancel.
// Escape goes to the window's keyDown; the program decides whether it stops
// a fill or cancels the dialog.

#include "forms/button.h"
#include "forms/combo_box.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/text_box.h"
#include "forms/window.h"

namespace forms {

class KestLookup : public Window {
public:
    KestLookup();

    // Back to the design state: empty list without columns, empty filter
    // list and texts, design caption.
    void Reset();

    Label LabelFilter{"LabelFilter", "&Filter"};
    ComboBox ComboFilterList{"ComboFilterList"};
    Label LabelBy{"LabelBy", "&By"};
    TextBox TextFilter{"TextFilter"};
    Button ButtonSearch{"ButtonSearch", "&Search", "Press the Search button to perform the search"};
    ListView LookupList{"LookupList"};
    Label LabelTotText{"LabelTotText", "Total:"};
    Label LabelTotal{"LabelTotal"};
    Label LabelSelText{"LabelSelText", "Selected:"};
    Label LabelSelected{"LabelSelected"};
    Frame FrameStatus{"FrameStatus", "Status"};
    Label LabelStatus{"LabelStatus"};
    Button Button_OK{"Button_OK", "&OK", "Press the OK button to process the selected item(s)"};
    Button ButtonCancel{"ButtonCancel", "&Cancel", "Press the Exit button to close this form"};
};

}  // namespace forms
