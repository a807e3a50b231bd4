#include "forms/lookup_dialog.h"

namespace forms {

KestLookup::KestLookup() : Window("KestLookup", "Lookup") {
    Register({&LabelFilter, &ComboFilterList, &LabelBy, &TextFilter, &ButtonSearch, &LookupList, &LabelTotText,
              &LabelTotal, &LabelSelText, &LabelSelected, &FrameStatus, &LabelStatus, &Button_OK, &ButtonCancel});
    Resize(8400, 6300);
    // The list's width decides its columns' widths.
    LookupList.SetWidth(8100);
    LookupList.SetHeight(3900);
}

void KestLookup::Reset() {
    SetCaption("Lookup");
    LookupList.Clear();
    LookupList.ClearColumns();
    LookupList.SetSorted(false);
    LookupList.SetSortKey(0);
    LookupList.SetSortOrder(ListView::Ascending);
    LookupList.SetMultiSelect(false);
    ComboFilterList.Clear();
    TextFilter.SetText("");
    LabelTotal.SetCaption("");
    LabelSelected.SetCaption("");
    LabelStatus.SetCaption("");
}

}  // namespace forms
