#include "dmsim/dm_item.h"

#include "dmsim/library_db.h"
#include "dmsim/library_object.h"
#include "dmsim/profile_store.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

std::shared_ptr<DmItem> FromRow(const std::shared_ptr<Session>& session, const LibrarySpec& library,
                                const SqlRows& rows) {
    if (rows.rows.empty()) return nullptr;
    const auto& r = rows.rows.front();
    std::string application = AsText(r[3]);
    bool folder = EqualsNoCase(application, kFolderApplication) || EqualsNoCase(AsText(r[4]), "F");
    const Form& form = FormOfRow(static_cast<int32_t>(AsInt(r[2])), application, folder);
    auto item = std::make_shared<DmItem>(session, library, form);
    item->AfterSave(static_cast<int32_t>(AsInt(r[1])), AsInt(r[0]));
    return item;
}

std::string ItemQuery(LibraryDb& db, const char* key) {
    const bool itemType = db.Spec().HasColumn(OptionalColumn::ItemType);
    return "SELECT P.SYSTEM_ID, P.DOCNUMBER, P.FORM, A.APPLICATION, " +
           std::string(itemType ? "P.ITEM_TYPE" : "NULL") + " FROM " + db.Table("PROFILE") + " P LEFT JOIN " +
           db.Table("APPS") + " A ON A.SYSTEM_ID = P.APPLICATION WHERE P." + key + " = ? ORDER BY P.SYSTEM_ID";
}

}  // namespace

DmItem::DmItem(std::shared_ptr<Session> session, const LibrarySpec& library, const Form& form)
    : session_(std::move(session)), library_(library), form_(&form) {}

std::shared_ptr<DmItem> DmItem::Open(const std::shared_ptr<Session>& session, const LibrarySpec& library,
                                     int32_t docNumber) {
    if (docNumber == 0) return nullptr;
    LibraryDb& db = session->Db(library.name);
    return FromRow(session, library, db.Query(ItemQuery(db, "DOCNUMBER"), {int64_t{docNumber}}));
}

std::shared_ptr<DmItem> DmItem::OpenBySystemId(const std::shared_ptr<Session>& session, const LibrarySpec& library,
                                               int64_t systemId) {
    LibraryDb& db = session->Db(library.name);
    return FromRow(session, library, db.Query(ItemQuery(db, "SYSTEM_ID"), {systemId}));
}

LibraryDb& DmItem::Db() const { return session_->Db(library_.name); }

dm::LibraryPtr DmItem::LibraryObject() const {
    return std::make_shared<dmsim::LibraryObject>(session_, library_);
}

int32_t DmItem::DocNumber() {
    if (!Saved()) return 0;
    auto v = Db().QueryValue("SELECT DOCNUMBER FROM " + Db().Table("PROFILE") + " WHERE SYSTEM_ID = ?", {systemId_});
    if (!IsNull(v)) docNumber_ = static_cast<int32_t>(AsInt(v));
    return docNumber_;
}

bool DmItem::RowExists() {
    if (!Saved()) return false;
    return !IsNull(Db().QueryValue("SELECT 1 FROM " + Db().Table("PROFILE") + " WHERE SYSTEM_ID = ?", {systemId_}));
}

std::string DmItem::Name() {
    auto edit = edits_.find("DOCNAME");
    if (edit != edits_.end()) return edit->second.value.ToText();
    if (!Saved()) return "";
    return AsText(Db().QueryValue("SELECT DOCNAME FROM " + Db().Table("PROFILE") + " WHERE SYSTEM_ID = ?", {systemId_}));
}

void DmItem::SetEdit(const FormColumn& column, dm::Variant value, bool valid) {
    edits_[ToUpper(column.name)] = Edit{std::move(value), valid};
}

std::map<std::string, dm::Variant> DmItem::ColumnValues() {
    std::map<std::string, dm::Variant> values;
    if (Saved()) values = ReadFormValues(Db(), *form_, systemId_);
    for (const auto& c : form_->columns) values.try_emplace(ToUpper(c.name));
    for (const auto& [name, edit] : edits_) values[name] = edit.value;
    return values;
}

bool DmItem::IsPublic() {
    if (pendingPublic) return *pendingPublic;
    if (!Saved()) return false;
    return !IsNull(Db().QueryValue("SELECT 1 FROM " + Db().Table("ROOT_OBJECT") + " WHERE DOCNUMBER = ?",
                                   {int64_t{DocNumber()}}));
}

std::optional<Refusal> DmItem::Save() {
    FormValues values;
    for (const auto& [name, edit] : edits_) values[name] = edit.value;
    try {
        if (!Saved()) {
            SavedProfile saved = InsertProfile(Db(), *form_, values, pendingPublic.value_or(false));
            if (saved.refusal) return saved.refusal;
            AfterSave(saved.docNumber, saved.systemId);
            pendingPublic.reset();
        } else if (auto refusal = UpdateProfile(Db(), *form_, systemId_, values)) {
            return refusal;
        }
    } catch (const std::exception& e) {
        return Refusal{kErrStorage, std::string("The profile could not be written: ") + e.what()};
    }
    edits_.clear();
    return std::nullopt;
}

void DmItem::AfterSave(int32_t docNumber, int64_t systemId) {
    docNumber_ = docNumber;
    systemId_ = systemId;
}

void DmItem::ApplyPublicFlag() {
    if (!pendingPublic || !Saved()) return;
    LibraryDb& db = Db();
    const int64_t number = DocNumber();
    db.Exec("DELETE FROM " + db.Table("ROOT_OBJECT") + " WHERE DOCNUMBER = ?", {number});
    if (*pendingPublic) {
        db.Exec("INSERT INTO " + db.Table("ROOT_OBJECT") + " (DOCNUMBER, DISPLAYNAME) VALUES (?, ?)",
                {number, Name()});
    }
    pendingPublic.reset();
}

FaultContext DmItem::Context(std::string_view name, int32_t index) {
    FaultContext c;
    c.library = library_.name;
    c.docNumber = Saved() ? DocNumber() : 0;
    c.name = name;
    c.index = index;
    return c;
}

std::optional<FaultAction> DmItem::Hit(std::string_view op, std::string_view name, int32_t index) {
    return session_->Faults().Hit(op, Context(name, index));
}

std::optional<FaultAction> DmItem::Call(std::string_view op, std::vector<dm::Variant> args) {
    FaultContext c = Context();
    session_->Calls().Record(op, library_.name, c.docNumber, std::move(args));
    return session_->Faults().Hit(op, c);
}

dm::Variant FaultAnswer(DmItem& item, const FaultAction& action) {
    switch (action.kind) {
        case FaultAction::Kind::Answer:
            item.FailBy(action);
            return action.value;
        case FaultAction::Kind::Refuse:
            item.FailBy(action);
            return false;
        case FaultAction::Kind::Defer:
            item.Succeed();
            return true;
        default:
            item.Succeed();
            return dm::Variant();
    }
}

}  // namespace dmsim
