#include "install/definition_store.h"

#include <string>
#include <vector>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/sql_transaction.h"
#include "core/text.h"
#include "forms/lib_setup_window.h"
#include "forms/main_window.h"

namespace install {

namespace {

constexpr const char* kSetup = "Setup";
constexpr const char* kGeneral = "General";

// One item of the definition: the table row's key, the registry values'
// names, and its controls (a list, or a text box with its "Include" box).
struct Item {
    const char* subKey;
    forms::ComboBox* list;
    forms::TextBox* text;
    forms::CheckBox* include;
    int includeDefault;  // for a missing registry value
};

// In the order the table rows are written.
std::vector<Item> Items(forms::DorvaneLibSetup& w) {
    return {{"SOURCELIBRARY", &w.SourceLibraryCombo, nullptr, nullptr, 0},
            {"TARGETLIBRARY", &w.TargetLibraryCombo, nullptr, nullptr, 0},
            {"STORAGETYPE", &w.StorageTypeCombo, nullptr, nullptr, 0},
            {"GROUPS", nullptr, &w.TextGroups, &w.CheckGroups, 0},
            {"TYPIST", nullptr, &w.TextTypist, &w.CheckTypist, 1},
            {"AUTHOR", nullptr, &w.TextAuthor, &w.CheckAuthor, 1},
            {"DOCUMENTTYPES", nullptr, &w.TextDocTypes, &w.CheckDocTypes, 1},
            {"APPS", nullptr, &w.TextApps, &w.CheckApps, 1},
            {"MATTER", nullptr, &w.TextMatter, &w.CheckMatter, 1},
            {"ST", nullptr, nullptr, &w.CheckIncST, 1}};
}

void SelectExact(forms::ComboBox& list, const std::string& text) {
    const auto& items = list.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            list.SetListIndex(static_cast<int>(i));
            return;
        }
    }
}

void SetValue(forms::CheckBox& box, const std::string& number) {
    box.SetValue(static_cast<int>(dm::LeadingNumber(number)));
}

std::string Registry(core::Program& p, const std::string& name, const std::string& defaultValue) {
    return p.platform.registry.GetSetting(core::kProductName, kSetup, name, defaultValue);
}

// True when the table held rows of the definition; they are applied in the
// order they come, a later row of the same key winning.
bool LoadFromTable(core::Program& p, forms::DorvaneLibSetup& w) {
    p.WriteLog("Fetching information from KEST_SETTINGS table");
    p.Separator();
    p.RunSQL("SELECT SUB_KEY, CHAR_VAL, INT_VAL FROM [OWNER].KEST_SETTINGS WHERE MASTER_KEY LIKE 'DORVANE%' "
             "AND SECTION_KEY = 'TRIGGER_DEFINITION'");
    auto& sql = core::Require(p.session.PcdSql);
    if (sql->RowCount() == 0) {
        sql->ReleaseResults();
        return false;
    }
    const auto items = Items(w);
    do {
        const std::string key = core::Upper(sql->ColumnValue(1).ToText());
        const std::string text = sql->ColumnValue(2).ToText();
        const std::string number = sql->ColumnValue(3).ToText();
        for (const Item& item : items) {
            if (key != item.subKey) continue;
            if (item.list) SelectExact(*item.list, text);
            if (item.text) item.text->SetText(text);
            if (item.include) SetValue(*item.include, number);
        }
    } while (sql->NextRow());
    sql->ReleaseResults();
    return true;
}

void LoadFromRegistry(core::Program& p, forms::DorvaneLibSetup& w) {
    p.WriteLog("Fetching Information From Registry");
    SelectExact(w.SourceLibraryCombo, StoredSourceLibrary(p));
    SelectExact(w.TargetLibraryCombo, Registry(p, w.TargetLibraryCombo.Name(), ""));
    SelectExact(w.StorageTypeCombo, Registry(p, w.StorageTypeCombo.Name(), ""));
    const auto items = Items(w);
    for (const Item& item : items) {
        if (item.text) item.text->SetText(Registry(p, item.text->Name(), ""));
    }
    for (const Item& item : items) {
        if (item.include) {
            SetValue(*item.include, Registry(p, item.include->Name(), std::to_string(item.includeDefault)));
        }
    }
    p.Separator();
}

std::string CharValue(const Item& item) {
    if (item.list) return item.list->Text();
    if (item.text) return item.text->Text();
    return "";
}

int IntValue(const Item& item) { return item.include ? item.include->Value() : 0; }

// The text's length once the table holds it: line breaks made blanks and
// the ends trimmed as written, in characters.
size_t KeptLength(const std::string& text) {
    const std::string written = core::StripQuotes(text);
    size_t length = 0;
    size_t apostrophes = 0;
    for (unsigned char c : written) {
        if ((c & 0xC0) != 0x80) ++length;
        if (c == '\'') ++apostrophes;
    }
    // The statement doubles each apostrophe; the table holds one.
    return length - apostrophes / 2;
}

const std::string kDefinitionRows =
    "FROM [OWNER].KEST_SETTINGS WHERE MASTER_KEY LIKE 'DORVANE%' AND SECTION_KEY = 'TRIGGER_DEFINITION'";

std::string InsertStatement(const Item& item) {
    return std::string("INSERT INTO [OWNER].KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, "
                       "INT_VAL) VALUES('DORVANE', 'TRIGGER_DEFINITION', '") +
           item.subKey + "', 1, '" + core::StripQuotes(CharValue(item)) + "', " + std::to_string(IntValue(item)) +
           ")";
}

// The old rows and the new ones as one unit: a failed insert keeps the
// definition that was stored. False when the table kept its old rows.
bool SaveToTable(core::Program& p, forms::DorvaneLibSetup& w) {
    w.LabelStatus.SetCaption("Saving the current settings to KEST_SETTINGS table in library " +
                             p.ConnectedLibraryName());
    p.platform.ui.PumpEvents();
    core::SqlTransaction unit(p);
    unit.Run("DELETE " + kDefinitionRows);
    for (const Item& item : Items(w)) unit.Run(InsertStatement(item));
    return unit.Finish();
}

// A stored value as the statement that puts it back writes it.
std::string Literal(const dm::Variant& value, bool number) {
    if (value.IsNull() || value.IsEmpty()) return "NULL";
    if (number) return dm::FormatWhole(dm::LeadingNumber(value.ToText()));
    return core::SqlLiteral(value.ToText());
}

// The definition rows the table holds; nothing when they could not be read.
std::optional<StoredDefinition> ReadStoredDefinition(core::Program& p) {
    auto& sql = core::Require(p.session.PcdSql);
    if (!p.RunSQLAccepted("SELECT MASTER_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, INT_VAL " + kDefinitionRows)) {
        sql->ReleaseResults();
        return std::nullopt;
    }
    StoredDefinition stored{true, {}};
    for (bool more = sql->RowCount() > 0; more; more = sql->NextRow()) {
        stored.rows.push_back({Literal(sql->ColumnValue(1), false), Literal(sql->ColumnValue(2), false),
                               Literal(sql->ColumnValue(3), true), Literal(sql->ColumnValue(4), false),
                               Literal(sql->ColumnValue(5), true)});
    }
    sql->ReleaseResults();
    return stored;
}

void SaveToRegistry(core::Program& p, forms::DorvaneLibSetup& w) {
    w.LabelStatus.SetCaption("Saving the current settings to Registry");
    p.platform.ui.PumpEvents();
    auto save = [&](const std::string& name, const std::string& value) {
        p.platform.registry.SaveSetting(core::kProductName, kSetup, name, value);
    };
    const auto items = Items(w);
    for (forms::ComboBox* list : {&w.TargetLibraryCombo, &w.StorageTypeCombo}) save(list->Name(), list->Text());
    for (const Item& item : items) {
        if (item.text) save(item.text->Name(), item.text->Text());
    }
    for (const Item& item : items) {
        if (item.include) save(item.include->Name(), std::to_string(item.include->Value()));
    }
}

}  // namespace

std::string StoredSourceLibrary(core::Program& p) {
    return p.platform.registry.GetSetting(core::kProductName, kGeneral, "SourceLibrary",
                                          p.MainWindow.SourceLibraryCombo.Text());
}

bool ConnectStoredSource(core::Program& p) {
    const std::string name = StoredSourceLibrary(p);
    if (name.empty() || p.ConnectLibrary(name)) return true;
    p.ShowMessage("Error: Unable to connect to library " + name, platform::mb::Critical, core::AppTitle());
    return false;
}

void LoadDefinition(core::Program& p, forms::DorvaneLibSetup& w) {
    if (p.facts.SettingsTableExists && LoadFromTable(p, w)) return;
    LoadFromRegistry(p, w);
}

void SaveDefinition(core::Program& p, forms::DorvaneLibSetup& w, bool uncommitted) {
    const std::string source = w.SourceLibraryCombo.Text();
    if (source.empty()) return;
    p.platform.registry.SaveSetting(core::kProductName, kGeneral, "SourceLibrary", source);
    if (!p.ConnectLibrary(source)) {
        p.ShowMessage("Error: Unable to connect to library " + source, platform::mb::Critical, core::AppTitle());
        return;
    }
    if (p.facts.SettingsTableExists && !uncommitted) {
        if (SaveToTable(p, w)) return;
        // Nothing lost: the table keeps its old rows, the user's settings
        // get the new ones.
        p.WriteLog("Warning: the trigger definition could not be saved in library " + source +
                   " - it was saved to the Registry");
    }
    SaveToRegistry(p, w);
}

std::optional<StoredDefinition> KeepDefinition(core::Program& p, forms::DorvaneLibSetup& w) {
    if (!p.facts.SettingsTableExists) return StoredDefinition{};
    std::optional<StoredDefinition> previous = ReadStoredDefinition(p);
    if (!previous || !SaveToTable(p, w)) return std::nullopt;
    return previous;
}

bool PutBackDefinition(core::Program& p, const StoredDefinition& previous) {
    if (!previous.table) return true;
    core::SqlTransaction unit(p);
    unit.Run("DELETE " + kDefinitionRows);
    for (const StoredDefinition::Row& row : previous.rows) {
        unit.Run("INSERT INTO [OWNER].KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, INT_VAL) "
                 "VALUES(" + row.masterKey + ", 'TRIGGER_DEFINITION', " + row.subKey + ", " + row.keyType + ", " +
                 row.text + ", " + row.number + ")");
    }
    return unit.Finish();
}

std::optional<OverlongItem> OverlongItemOf(forms::DorvaneLibSetup& w) {
    for (const Item& item : Items(w)) {
        const size_t length = KeptLength(CharValue(item));
        if (length <= kKeptTextLength) continue;
        std::string title = item.list ? item.list->Name() : item.subKey;
        for (auto& row : w.Rows()) {
            if (&row.text != item.text) continue;
            const std::string caption = row.label.Caption();
            title = caption.substr(0, caption.find(':')) + " list";
        }
        return OverlongItem{title, length};
    }
    return std::nullopt;
}

TriggerDefinition DefinitionOf(forms::DorvaneLibSetup& w) {
    auto list = [](forms::TextBox& text, forms::CheckBox& include) {
        return CriterionList{text.Text(), include.Value() == forms::CheckBox::Checked};
    };
    TriggerDefinition d;
    d.targetLibrary = w.TargetLibraryCombo.Text();
    d.storageType = w.StorageTypeCombo.Text();
    d.includeStorageType = w.CheckIncST.Value() == forms::CheckBox::Checked;
    d.documentTypes = list(w.TextDocTypes, w.CheckDocTypes);
    d.applications = list(w.TextApps, w.CheckApps);
    d.authors = list(w.TextAuthor, w.CheckAuthor);
    d.typists = list(w.TextTypist, w.CheckTypist);
    d.matters = list(w.TextMatter, w.CheckMatter);
    d.groups = list(w.TextGroups, w.CheckGroups);
    return d;
}

}  // namespace install
