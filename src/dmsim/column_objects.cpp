#include "dmsim/column_objects.h"

#include <cmath>
#include <cstdlib>

#include "dmclient/dm_error.h"
#include "dmsim/date_text.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"

namespace dmsim {

namespace {

class ColumnObject : public dm::IDmColumn {
public:
    ColumnObject(ItemPtr item, const FormColumn& column, dm::Variant value)
        : item_(std::move(item)), column_(column), fetched_(std::move(value)) {}

    std::string Name() override { return column_.name; }

    dm::Variant Value() override try {
        if (auto f = item_->Hit(op::kColumnValue, column_.name)) return f->Value();
        auto edit = item_->Edits().find(ToUpper(column_.name));
        return edit != item_->Edits().end() ? edit->second.value : fetched_;
    } catch (...) {
        RethrowAsDmError(kObjectsSource, item_->Library().name);
    }

    void SetValue(const dm::Variant& value) override try {
        if (item_->Hit(op::kColumnSetValue, column_.name)) return;
        if (column_.readOnly) Refuse(kErrColumnReadOnly, "The column " + column_.name + " is read-only.");
        dm::Variant stored = Normalize(value);
        item_->SetEdit(column_, stored, stored.IsBlank() || Valid(stored.ToText()));
    } catch (...) {
        RethrowAsDmError(kObjectsSource, item_->Library().name);
    }

    int32_t DataType() override { return column_.DataType(); }
    dm::Variant ReadOnly() override { return column_.readOnly; }

    dm::Variant IsValid() override try {
        if (auto f = item_->Hit(op::kColumnIsValid, column_.name)) return f->Value();
        auto edit = item_->Edits().find(ToUpper(column_.name));
        return edit == item_->Edits().end() || edit->second.valid;
    } catch (...) {
        RethrowAsDmError(kObjectsSource, item_->Library().name);
    }

private:
    [[noreturn]] static void Refuse(int32_t number, const std::string& text) {
        throw dm::DmError(number, kObjectsSource, text);
    }

    dm::Variant Normalize(const dm::Variant& value) const {
        if (value.IsBlank()) return dm::Variant();
        switch (column_.kind) {
            case ColumnKind::Number: {
                if (value.kind() == dm::Variant::Kind::Text) {
                    std::string t = value.ToText();
                    char* end = nullptr;
                    std::strtod(t.c_str(), &end);
                    if (end == t.c_str()) Refuse(kErrBadColumnValue, "'" + t + "' is not a number for " + column_.name + ".");
                }
                double d = value.ToDouble();
                if (!std::isfinite(d) || std::fabs(d) > 2147483647.0) {
                    Refuse(kErrBadColumnValue, "The number is out of range for " + column_.name + ".");
                }
                return static_cast<int32_t>(std::llround(d));
            }
            case ColumnKind::Date: {
                auto date = ParseDateTime(value.ToText());
                if (!date) Refuse(kErrBadColumnValue, "'" + value.ToText() + "' is not a date for " + column_.name + ".");
                return FormatDateTime(*date);
            }
            case ColumnKind::Text: break;
        }
        std::string text = value.ToText();
        if (column_.width > 0 && text.size() > static_cast<size_t>(column_.width)) {
            Refuse(kErrBadColumnValue, "The value is longer than " + std::to_string(column_.width) + " characters for " +
                                           column_.name + ".");
        }
        return text;
    }

    // Whether a lookup id resolves to an enabled row (other columns are
    // always valid).
    bool Valid(const std::string& id) const {
        if (column_.lookup == Lookup::None) return true;
        LibraryDb& db = item_->Db();
        if (column_.lookup != Lookup::Matter) return ResolveLookup(db, column_.lookup, id).has_value();
        std::optional<int64_t> client;
        auto values = item_->ColumnValues();
        if (auto c = values.find("CLIENT_ID"); c != values.end() && !c->second.IsBlank()) {
            client = ResolveLookup(db, Lookup::Client, c->second.ToText());
        }
        return ResolveLookup(db, Lookup::Matter, id, client).has_value();
    }

    ItemPtr item_;
    const FormColumn& column_;
    dm::Variant fetched_;
};

}  // namespace

int32_t ColumnCollection::Count() try {
    if (auto f = item_->Hit(op::kColumnsCount)) return f->Number();
    return static_cast<int32_t>(item_->GetForm().columns.size());
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::ColumnPtr ColumnCollection::Item(int32_t index) try {
    const auto& columns = item_->GetForm().columns;
    if (index < 1 || static_cast<size_t>(index) > columns.size()) {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
    const FormColumn& column = columns[static_cast<size_t>(index) - 1];
    if (item_->Hit(op::kColumnsItem, column.name, index)) return nullptr;
    auto value = values_.find(ToUpper(column.name));
    return std::make_shared<ColumnObject>(item_, column, value == values_.end() ? dm::Variant() : value->second);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

}  // namespace dmsim
