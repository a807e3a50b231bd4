#pragma once
// The lookup dialog's code: a caller fills the request, shows the dialog
// modally and reads the result. The dialog lists the rows of the builder's
// lookup statement for the table (column 1 the row's key, column 2 its text,
// the rest further columns), narrows them with a text filter on one column,
// sorts them by any column and hands the chosen rows back.
//
// The object lives as long as the program; its window is built anew for each
// showing, while the last sort column and order carry over.

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "forms/lookup_dialog.h"

namespace core {
class Program;
}

namespace lookup {

class StatementBuilder;

class KestLookupForm {
public:
    // At most this many rows are listed by one load.
    static constexpr int32_t kMaxRows = 3500;

    KestLookupForm(core::Program& program, StatementBuilder& builder);
    KestLookupForm(const KestLookupForm&) = delete;
    KestLookupForm& operator=(const KestLookupForm&) = delete;

    forms::KestLookup& Window() { return window_; }

    // Loads the window and shows it modally; a load that fails closes it
    // before it is shown.
    void Show();

    // ---- Request, written by the caller before Show -------------------------
    std::string LookupTable;
    bool LookupMultiSelect = false;
    bool LookupReturnText = false;
    // Appended to the statement; emptied by a load that reached the list.
    std::string LookupCondition;

    // ---- Result ---------------------------------------------------------------
    int32_t LookupResultCount = 0;
    // Index 0 is always there and empty; items 1 to LookupResultCount.
    std::vector<std::string> LookupResults{""};

    // ---- Handlers -------------------------------------------------------------
    void Form_Load();
    bool PlaceLibraries();
    void ButtonSearch_Click();
    void Button_OK_Click();
    void ButtonCancel_Click();
    void LookupList_DblClick() { Button_OK_Click(); }
    // column from 1, as the header shows it.
    void LookupList_ColumnClick(int column, const std::string& title);
    void LookupList_ItemClick();
    void Form_KeyDown(int keyCode, int shift);
    void Form_Unload();

    // Kept for the life of the dialog.
    std::string BaseStatement;
    std::string LastStatement;
    std::string LastSortColumn;
    int32_t LastSortOrder = 0;

private:
    void ResetResult();
    // Closes the window, or keeps it from being shown while it is loading.
    void CloseWindow();
    void SetStatusColor(int color);
    // Adds the current row of the SQL object as an item; false when its key
    // is listed already.
    bool AddRow(int32_t columns);
    std::string LibraryName();

    core::Program& program_;
    StatementBuilder& builder_;
    forms::KestLookup window_;
    // The keys in the list, so that a row of a listed key is left out
    // without a walk through the list.
    std::unordered_set<std::string> listedKeys_;
    bool loading_ = false;
    bool unloadRequested_ = false;
};

}  // namespace lookup
