#include "lookup/lookup_dialog.h"

#include <algorithm>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "forms/key_codes.h"
#include "forms/label.h"
#include "lookup/statement_builder.h"
#include "platform/ui_host.h"

namespace lookup {

namespace {

// Status line colours (0xBBGGRR): red while a load fills the list, blue
// when it ends.
constexpr int kFillingColor = 192;
constexpr int kDoneColor = 0xC00000;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The items of a statement's select list ("SELECT a, UPPER(b) "B" FROM
// ..."), split at the commas that stand outside parentheses and quotes.
std::vector<std::string> SelectItems(const std::string& statement) {
    std::vector<std::string> items;
    const std::string upper = core::Upper(statement);
    if (upper.rfind("SELECT ", 0) != 0) return items;
    int depth = 0;
    char quote = 0;
    size_t start = 7;
    for (size_t i = start; i < statement.size(); ++i) {
        const char c = statement[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && c == ',') {
            items.push_back(core::Trim(statement.substr(start, i - start)));
            start = i + 1;
        } else if (depth == 0 && Blank(c) && upper.compare(i + 1, 4, "FROM") == 0 && i + 5 < upper.size() &&
                   Blank(upper[i + 5])) {
            items.push_back(core::Trim(statement.substr(start, i - start)));
            return items;
        }
    }
    return {};
}

// The name a select-list item gives its result column: its label, or the
// last part of its column name.
std::string ItemName(const std::string& item) {
    if (item.size() > 1 && item.back() == '"') {
        const size_t open = item.rfind('"', item.size() - 2);
        if (open != std::string::npos) return item.substr(open + 1, item.size() - open - 2);
    }
    const size_t dot = item.rfind('.');
    return dot == std::string::npos ? item : item.substr(dot + 1);
}

// The column a select-list item reads: owner- and table-qualified, without
// its label and without a function call around it.
std::string ItemColumn(std::string item) {
    if (item.size() > 1 && item.back() == '"') {
        const size_t open = item.rfind('"', item.size() - 2);
        if (open != std::string::npos) item = core::Trim(item.substr(0, open));
    }
    const size_t open = item.find('(');
    if (open != std::string::npos && item.back() == ')') {
        item = item.substr(open + 1, item.size() - open - 2);
        const size_t end = std::min(item.find(','), core::Upper(item).find(" AS "));
        if (end != std::string::npos) item = item.substr(0, end);
    }
    return core::Trim(item);
}

// A row whose key is blank names nothing a criterion could hold: it is
// neither listed nor counted, in the full list and in a search alike.
bool RowHasKey(dm::IDmSql& sql) { return !core::Trim(sql.ColumnValue(1).ToText()).empty(); }

}  // namespace

KestLookupForm::KestLookupForm(core::Program& program, StatementBuilder& builder)
    : program_(program), builder_(builder) {
    auto& w = window_;
    w.ButtonSearch.clicked.Connect([this] { ButtonSearch_Click(); });
    w.Button_OK.clicked.Connect([this] { Button_OK_Click(); });
    w.ButtonCancel.clicked.Connect([this] { ButtonCancel_Click(); });
    w.LookupList.itemDoubleClicked.Connect([this](int) { LookupList_DblClick(); });
    w.LookupList.itemClicked.Connect([this](int) { LookupList_ItemClick(); });
    w.LookupList.columnClicked.Connect([this](int column) {
        const auto& columns = window_.LookupList.Columns();
        if (column < 0 || column >= static_cast<int>(columns.size())) return;
        LookupList_ColumnClick(column + 1, columns[column].caption);
    });
    w.keyDown.Connect([this](int key, int shift) { Form_KeyDown(key, shift); });
    w.closeRequested.Connect([this] { Form_Unload(); });
}

std::string KestLookupForm::LibraryName() { return program_.ConnectedLibraryName(); }

void KestLookupForm::ResetResult() {
    LookupResultCount = 0;
    LookupResults.assign(1, "");
}

void KestLookupForm::CloseWindow() {
    if (window_.IsOpen()) {
        window_.Close();
    } else {
        unloadRequested_ = true;
    }
}

void KestLookupForm::SetStatusColor(int color) {
    if (auto* label = program_.StatusLabel()) label->SetForeColor(color);
}

void KestLookupForm::Show() {
    window_.Reset();
    listedKeys_.clear();
    unloadRequested_ = false;
    loading_ = true;
    Form_Load();
    loading_ = false;
    if (unloadRequested_) return;
    program_.platform.ui.RunModal(window_);
}

void KestLookupForm::Form_Load() {
    if (LookupTable.empty()) {
        ResetResult();
    } else {
        forms::Label* status = program_.StatusLabel();
        const std::string keptCaption = status ? status->Caption() : "";
        program_.ShowStatus("Loading lookup form for " + LookupTable);
        program_.Separator();
        if (PlaceLibraries()) {
            auto& combo = window_.ComboFilterList;
            const auto& columns = window_.LookupList.Columns();
            if (!columns.empty()) {
                for (int i = 0; i < combo.Count(); ++i) {
                    if (core::Upper(combo.Items()[i]) == core::Upper(columns[0].caption)) {
                        combo.SetListIndex(i);
                        break;
                    }
                }
            }
            if (auto* label = program_.StatusLabel()) label->SetCaption(keptCaption);
            return;
        }
    }
    program_.ReportError(0, "", "");
    program_.Separator();
    CloseWindow();
}

bool KestLookupForm::AddRow(int32_t columns) {
    auto& sql = *program_.session.PcdSql;
    auto& list = window_.LookupList;
    std::string key = sql.ColumnName(1) + ":" + sql.ColumnValue(1).ToText();
    // Keys are unique in the list: a second row of the same key is left out.
    if (!listedKeys_.insert(key).second) return false;
    int index = list.AddItem(sql.ColumnValue(2).ToText(), key);
    for (int32_t c = 3; c <= columns; ++c) list.SetSubItem(index, c - 2, sql.ColumnValue(c).ToText());
    return true;
}

bool KestLookupForm::PlaceLibraries() {
    auto& ui = program_.platform.ui;
    auto& w = window_;
    const std::string library = LibraryName();
    bool result = false;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    ResetResult();
    w.SetCaption("Lookup " + LookupTable + " in library " + library);
    w.LabelStatus.SetCaption("Fetching information from " + LookupTable);
    ui.PumpEvents();

    std::string statement = builder_.BuildSQLStmt(LookupTable, "SELALLKEYSANDNAMES");
    if (statement.empty()) {
        // Without a statement there is nothing to run: the SQL object still
        // holds whatever earlier work left there, which is not this table's.
        program_.ShowMessage("Unable to build a lookup statement for " + LookupTable + " table in library " +
                                 library + " - see the log for the reason",
                             platform::mb::Exclamation, core::AppTitle());
        BaseStatement.clear();
        LastStatement.clear();
        result = true;
    } else {
        if (!LookupCondition.empty()) {
            statement += (Contains(statement, " WHERE ") ? " AND " : " WHERE ") + LookupCondition;
        }
        try {
            program_.RunSQL(statement);
            auto* sql = program_.session.PcdSql.get();
            if (!sql) throw dm::DmError(91, "KestLookup", "The SQL object is not set");
            const int32_t total = sql->RowCount();
            const int32_t code = sql->ErrorCode();
            if (code != 0 && code != 9) {
                program_.ShowMessage("SQL Error #" + std::to_string(code) + ": Unable to display lookup rows for " +
                                         LookupTable + " table in library " + library,
                                     platform::mb::Exclamation, core::AppTitle());
                sql->ReleaseResults();
            } else if (total == 0) {
                program_.ShowMessage("There are no lookup rows to display for " + LookupTable +
                                         " table in library " + library,
                                     platform::mb::Exclamation, core::AppTitle());
                sql->ReleaseResults();
                BaseStatement = statement;
                LastStatement = statement;
                result = true;
            } else {
                SetStatusColor(kFillingColor);
                program_.run.RunActiveFlag = true;
                program_.run.CancelRequestedFlag = false;

                const int32_t columns = sql->ColumnCount();
                int width = w.LookupList.Width() / columns - 1 - 120;
                if (width < 120) width = 120;
                for (int32_t c = 2; c <= columns; ++c) {
                    w.LookupList.AddColumn(sql->ColumnName(c), width);
                    w.ComboFilterList.AddItem(sql->ColumnName(c));
                }
                int32_t listed = 0;
                while (listed < sql->RowCount()) {
                    if (RowHasKey(*sql)) {
                        ++listed;
                        AddRow(columns);
                    }
                    if (listed >= kMaxRows) {
                        program_.ShowMessage("There are " + std::to_string(total) + " lookup rows to display for " +
                                                 LookupTable + " table in library " + library + " - only the first " +
                                                 std::to_string(kMaxRows) + " row(s) will be displayed",
                                             platform::mb::Exclamation, core::AppTitle());
                        break;
                    }
                    if (program_.run.CancelRequestedFlag) break;
                    if (listed % 50 == 0) ui.PumpEvents();
                    if (!sql->NextRow()) break;
                }
                sql->ReleaseResults();
                w.LookupList.SetMultiSelect(LookupMultiSelect);
                w.LabelTotal.SetCaption(std::to_string(listed));
                LookupCondition.clear();
                BaseStatement = statement;
                LastStatement = statement;
                result = true;
            }
        } catch (const dm::DmError& e) {
            program_.ReportError(e);
        }
    }

    program_.Separator();
    SetStatusColor(kDoneColor);
    program_.run.RunActiveFlag = false;
    program_.run.CancelRequestedFlag = false;
    w.LabelStatus.SetCaption("");
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
    if (!result) CloseWindow();
    return result;
}

void KestLookupForm::ButtonSearch_Click() {
    auto& ui = program_.platform.ui;
    auto& w = window_;
    std::string statement = BaseStatement;
    const std::string title = w.ComboFilterList.Text();
    const std::string filter = w.TextFilter.Text();
    if (!title.empty() && !filter.empty()) {
        // The column the user picked, as the statement reads it: entry i of
        // the filter list is result column i + 2. Two columns may bear one
        // title, and a title may stand inside another column's name.
        std::string expression = title;
        const auto items = SelectItems(BaseStatement);
        const size_t item = static_cast<size_t>(w.ComboFilterList.ListIndex()) + 1;
        if (w.ComboFilterList.ListIndex() >= 0 && items.size() == w.LookupList.Columns().size() + 1 &&
            core::Upper(ItemName(items[item])) == core::Upper(title)) {
            expression = ItemColumn(items[item]);
        }
        statement += (Contains(BaseStatement, " WHERE ") ? " AND " : " WHERE ") + expression + " LIKE '%" +
                     core::DoubleApostrophes(filter) + "%'";
    }
    if (statement == LastStatement) return;

    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    int32_t listed = 0;
    // The rows go in unsorted and are sorted once filled: a row is placed
    // by its sort column only after all its cells are set.
    const bool sorted = w.LookupList.Sorted();
    w.LookupList.SetSorted(false);
    try {
        program_.RunSQL(statement);
        w.LookupList.Clear();
        listedKeys_.clear();
        if (auto* sql = program_.session.PcdSql.get()) {
            const int32_t columns = sql->ColumnCount();
            if (sql->RowCount() > 0) {
                do {
                    if (RowHasKey(*sql)) {
                        ++listed;
                        AddRow(columns);
                    }
                } while (sql->NextRow());
            }
            sql->ReleaseResults();
        }
    } catch (const dm::DmError& e) {
        program_.ReportError(e);
    }
    if (sorted) w.LookupList.SetSorted(true);
    w.LabelTotal.SetCaption(std::to_string(listed));
    ui.PumpEvents();
    LastStatement = statement;
    w.LabelStatus.SetCaption("");
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
}

void KestLookupForm::Button_OK_Click() {
    auto& ui = program_.platform.ui;
    auto& list = window_.LookupList;
    if (list.SelectedCount() == 0) {
        CloseWindow();
        return;
    }
    bool failed = false;
    try {
        window_.LabelStatus.SetCaption("Fetching item(s)...");
        ui.SetMousePointer(platform::MousePointer::Hourglass);
        ui.PumpEvents();
        ResetResult();
        for (const auto& item : list.Items()) {
            if (!item.selected) continue;
            const std::string key = core::Trim(item.key);
            const std::string text = core::Trim(item.text);
            ++LookupResultCount;
            LookupResults.push_back(LookupReturnText ? text : key);
            program_.WriteLog("Lookup returned item " + key + ":" + text + " (" + (LookupReturnText ? "-1" : "0") +
                              ")");
        }
    } catch (const std::exception&) {
        failed = true;
    }
    program_.Separator();
    if (failed) {
        program_.ShowMessage("Error: Unable to obtain information from library " + LibraryName(),
                             platform::mb::Critical, core::AppTitle());
    }
    window_.LabelStatus.SetCaption("");
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
    CloseWindow();
}

void KestLookupForm::ButtonCancel_Click() {
    ResetResult();
    CloseWindow();
}

void KestLookupForm::LookupList_ColumnClick(int column, const std::string& title) {
    auto& ui = program_.platform.ui;
    auto& list = window_.LookupList;
    ui.SetMousePointer(platform::MousePointer::Hourglass);
    ui.PumpEvents();
    int order = forms::ListView::Ascending;
    if (title == LastSortColumn && LastSortOrder == 0) order = forms::ListView::Descending;
    list.SetSortKey(column - 1);
    list.SetSortOrder(order);
    list.SetSorted(true);
    LastSortOrder = order;
    LastSortColumn = title;
    ui.SetMousePointer(platform::MousePointer::Default);
    ui.PumpEvents();
}

void KestLookupForm::LookupList_ItemClick() {
    window_.LabelSelected.SetCaption(std::to_string(window_.LookupList.SelectedCount()));
}

void KestLookupForm::Form_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode != forms::keys::Escape) return;
    auto& run = program_.run;
    if (run.RunActiveFlag && !run.CancelRequestedFlag) {
        SetStatusColor(kDoneColor);
        run.RunActiveFlag = false;
        run.CancelRequestedFlag = true;
        program_.ShowMessage("Task Canceled", platform::mb::Information, core::AppTitle());
        return;
    }
    // Escape is the window's cancel button while no fill runs.
    if (!loading_) ButtonCancel_Click();
}

void KestLookupForm::Form_Unload() { CloseWindow(); }

}  // namespace lookup
