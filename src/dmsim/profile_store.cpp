#include "dmsim/profile_store.h"

#include <cmath>
#include <filesystem>

#include "dmsim/date_text.h"
#include "dmsim/dm_activity.h"
#include "dmsim/doc_storage.h"
#include "dmsim/folder_list.h"
#include "dmsim/library_db.h"
#include "dmsim/link_store.h"
#include "dmsim/lookup_values.h"
#include "dmsim/storage_journal.h"
#include "dmsim/security_rights.h"
#include "dmsim/version_store.h"

namespace dmsim {

namespace {

using Fields = std::map<std::string, SqlValue>;

Refusal Invalid(const FormColumn& column, const std::string& value) {
    return {kErrInvalidValue, "'" + value + "' is not a valid value for " + column.name + "."};
}

dm::Variant ToVariant(const SqlValue& v, ColumnKind kind) {
    if (IsNull(v)) return dm::Variant();
    if (kind == ColumnKind::Number) return static_cast<int32_t>(AsInt(v));
    return AsText(v);
}

// The select expression of a form column in ReadFormValues.
std::string Expression(const FormColumn& c, size_t i, std::string& joins, LibraryDb& db) {
    std::string alias = "L" + std::to_string(i);
    switch (c.lookup) {
        case Lookup::Person:
            joins += " LEFT JOIN " + db.Table("PEOPLE") + " " + alias + " ON " + alias + ".SYSTEM_ID = P." + c.field;
            return alias + ".USER_ID";
        case Lookup::Application:
            joins += " LEFT JOIN " + db.Table("APPS") + " " + alias + " ON " + alias + ".SYSTEM_ID = P." + c.field;
            return alias + ".APPLICATION";
        case Lookup::DocumentType:
            joins += " LEFT JOIN " + db.Table("DOCUMENTTYPES") + " " + alias + " ON " + alias +
                     ".SYSTEM_ID = P." + c.field;
            return alias + ".TYPE_ID";
        case Lookup::Matter:
            joins += " LEFT JOIN " + db.Table("MATTER") + " " + alias + " ON " + alias + ".SYSTEM_ID = P." + c.field;
            return alias + ".MATTER_ID";
        case Lookup::Client:
            joins += " LEFT JOIN " + db.Table("MATTER") + " " + alias + "M ON " + alias +
                     "M.SYSTEM_ID = P.MATTER LEFT JOIN " + db.Table("CLIENT") + " " + alias + " ON " + alias +
                     ".SYSTEM_ID = " + alias + "M.CLIENT_ID";
            return alias + ".CLIENT_ID";
        case Lookup::None: break;
    }
    return "P." + c.field;
}

const dm::Variant* Value(const FormValues& values, const std::string& name) {
    auto it = values.find(ToUpper(name));
    return it == values.end() ? nullptr : &it->second;
}

// The PROFILE fields of the edited columns. `current` holds the row's
// values for an update (the client of an unchanged matter).
std::optional<Refusal> ToFields(LibraryDb& db, const Form& form, const FormValues& edits, const FormValues& current,
                                Fields& fields) {
    std::optional<int64_t> client;
    const FormColumn* clientColumn = form.Find("CLIENT_ID");
    const dm::Variant* clientEdit = Value(edits, "CLIENT_ID");
    std::string clientText = clientEdit ? clientEdit->ToText()
                                        : (Value(current, "CLIENT_ID") ? Value(current, "CLIENT_ID")->ToText() : "");
    if (clientColumn && !clientText.empty()) {
        client = ResolveLookup(db, Lookup::Client, clientText);
        if (!client && clientEdit) return Invalid(*clientColumn, clientText);
    }
    for (const FormColumn& c : form.columns) {
        if (c.readOnly || c.field.empty()) continue;
        const dm::Variant* edit = Value(edits, c.name);
        // A changed client moves an unchanged matter to the client's.
        if (!edit && !(c.lookup == Lookup::Matter && clientEdit)) continue;
        const dm::Variant value = edit ? *edit : (Value(current, c.name) ? *Value(current, c.name) : dm::Variant());
        if (value.IsBlank()) {
            fields[c.field] = SqlValue();
            continue;
        }
        switch (c.lookup) {
            case Lookup::None:
                if (c.kind == ColumnKind::Number) {
                    auto n = static_cast<int64_t>(std::llround(value.ToDouble()));
                    fields[c.field] = c.field == "DEFAULT_RIGHTS" ? int64_t{n != 0} : n;
                } else {
                    fields[c.field] = value.ToText();
                }
                break;
            case Lookup::Matter: {
                auto id = ResolveLookup(db, Lookup::Matter, value.ToText(), client);
                if (!id) return Invalid(c, value.ToText());
                fields[c.field] = *id;
                break;
            }
            case Lookup::Client: break;
            default: {
                auto id = ResolveLookup(db, c.lookup, value.ToText());
                if (!id) return Invalid(c, value.ToText());
                fields[c.field] = *id;
                break;
            }
        }
    }
    return std::nullopt;
}

bool IsTrue(const dm::Variant& v) { return v.IsBooleanTrue(); }

std::optional<Refusal> CheckUniqueName(LibraryDb& db, const Fields& fields, int64_t systemId) {
    auto name = fields.find("DOCNAME");
    if (name == fields.end() || IsNull(name->second) || !IsTrue(LibraryParameter(db, "DOCSParms.UniqueDocNames"))) {
        return std::nullopt;
    }
    std::string text = AsText(name->second);
    auto other = db.QueryValue("SELECT P.DOCNUMBER FROM " + db.Table("PROFILE") + " P LEFT JOIN " + db.Table("APPS") +
                                   " A ON A.SYSTEM_ID = P.APPLICATION WHERE UPPER(P.DOCNAME) = UPPER(?) "
                                   "AND P.SYSTEM_ID <> ? AND (A.APPLICATION IS NULL OR UPPER(A.APPLICATION) <> 'FOLDER')",
                               {text, systemId});
    if (IsNull(other)) return std::nullopt;
    return Refusal{kErrDuplicateName, "A document named '" + text + "' exists already (#" + AsText(other) + ")."};
}

std::optional<int64_t> AsOptionalId(const SqlValue& v) {
    if (IsNull(v)) return std::nullopt;
    return AsInt(v);
}

void InsertRow(LibraryDb& db, const std::string& table, const Fields& fields) {
    std::string names, marks;
    std::vector<SqlValue> params;
    for (const auto& [name, value] : fields) {
        names += (names.empty() ? "" : ", ") + QuoteName(name);
        marks += marks.empty() ? "?" : ", ?";
        params.push_back(value);
    }
    db.Exec("INSERT INTO " + db.Table(table) + " (" + names + ") VALUES (" + marks + ")", params);
}

}  // namespace

dm::Variant LibraryParameter(const LibraryDb& db, const std::string& name) {
    for (const auto& [n, v] : db.Spec().properties) {
        if (EqualsNoCase(n, name)) return v;
    }
    return dm::Variant();
}

FormValues ReadFormValues(LibraryDb& db, const Form& form, int64_t systemId) {
    std::string select, joins;
    for (size_t i = 0; i < form.columns.size(); ++i) {
        select += (i ? ", " : "") + Expression(form.columns[i], i, joins, db);
    }
    auto rows = db.Query("SELECT " + select + " FROM " + db.Table("PROFILE") + " P" + joins + " WHERE P.SYSTEM_ID = ?",
                         {systemId});
    FormValues values;
    if (rows.rows.empty()) return values;
    for (size_t i = 0; i < form.columns.size(); ++i) {
        values[ToUpper(form.columns[i].name)] = ToVariant(rows.rows.front()[i], form.columns[i].kind);
    }
    return values;
}

std::optional<int32_t> NextDocNumber(LibraryDb& db) {
    const std::string seq = db.Table("SEQ_PROFILE");
    auto last = db.QueryValue("SELECT MAX(LASTKEY) FROM " + seq);
    if (IsNull(last)) db.Exec("INSERT INTO " + seq + " (LASTKEY) VALUES (0)");
    int64_t number = AsInt(last) + 1;
    // Numbers rows already hold (written by SQL) are passed over.
    while (number <= INT32_MAX &&
           !IsNull(db.QueryValue("SELECT 1 FROM " + db.Table("PROFILE") + " WHERE DOCNUMBER = ?", {number}))) {
        ++number;
    }
    // The counter is an INT: past its largest value the server's arithmetic
    // overflows rather than wrapping.
    if (number > INT32_MAX) return std::nullopt;
    db.Exec("UPDATE " + seq + " SET LASTKEY = ?", {number});
    return static_cast<int32_t>(number);
}

SavedProfile InsertProfile(LibraryDb& db, const Form& form, const FormValues& edits, bool publicFolder) {
    LibraryDb::FrozenClock instant(db);
    return db.InTransaction([&]() -> SavedProfile {
        SavedProfile saved;
        Fields fields;
        if (auto refusal = ToFields(db, form, edits, {}, fields)) {
            saved.refusal = refusal;
            return saved;
        }
        std::optional<int64_t> user = FindPerson(db, db.Spec().userId);
        SqlValue userValue = user ? SqlValue(*user) : SqlValue();
        if (!fields.count("AUTHOR") || IsNull(fields["AUTHOR"])) fields["AUTHOR"] = userValue;
        if (!fields.count("TYPIST") || IsNull(fields["TYPIST"])) fields["TYPIST"] = userValue;
        if (form.folder) {
            auto folderApp = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("APPS") +
                                           " WHERE UPPER(APPLICATION) = 'FOLDER' ORDER BY SYSTEM_ID");
            if (IsNull(folderApp)) {
                saved.refusal = Refusal{kErrInvalidValue, "The library has no application FOLDER."};
                return saved;
            }
            fields["APPLICATION"] = folderApp;
        } else if (!fields.count("APPLICATION") || IsNull(fields["APPLICATION"])) {
            saved.refusal = Refusal{kErrInvalidValue, "A document needs an application (APP_ID)."};
            return saved;
        }
        if (!form.folder) {
            if (auto refusal = CheckUniqueName(db, fields, 0)) {
                saved.refusal = refusal;
                return saved;
            }
        }
        const bool ownSecurity = fields.count("DEFAULT_RIGHTS") && AsInt(fields["DEFAULT_RIGHTS"]) != 0;
        const std::string now = db.NowText();
        const auto number = NextDocNumber(db);
        if (!number) {
            saved.refusal = Refusal{kErrNotSaved, "Arithmetic overflow error converting expression to data type int."};
            return saved;
        }
        saved.docNumber = *number;
        saved.systemId = db.NextSystemKey();
        fields["DOCNUMBER"] = int64_t{saved.docNumber};
        fields["SYSTEM_ID"] = saved.systemId;
        fields["STATUS"] = int64_t{0};
        fields["PD_OBJ_TYPE"] = std::string("0");
        if (db.Spec().HasColumn(OptionalColumn::ItemType)) fields["ITEM_TYPE"] = std::string(form.folder ? "F" : "D");
        if (db.Spec().HasColumn(OptionalColumn::SecurityLink)) fields["SECURITY_LINK"] = int64_t{0};
        fields["READONLY"] = std::string("N");
        fields["RELATED"] = std::string("N");
        fields["DEFAULT_RIGHTS"] = int64_t{ownSecurity};
        fields["DOCSERVER_LOC"] = db.DocServerLoc();
        fields["PATH"] = DocumentFolder(db);
        fields["CREATION_DATE"] = now;
        fields["LAST_EDIT_DATE"] = now;
        fields["LAST_PRF_EDIT_DATE"] = now;
        fields["FORM"] = int64_t{form.id};
        InsertRow(db, "PROFILE", fields);

        const std::string security = "INSERT INTO " + db.Table("SECURITY") +
                                     " (PERSONORGROUP, ACCESSRIGHTS, THING) VALUES (?, ?, ?)";
        if (ownSecurity && !IsNull(fields["AUTHOR"])) {
            db.Exec(security, {fields["AUTHOR"], int64_t{kFullAccess}, saved.systemId});
        } else {
            db.Exec(security, {int64_t{0}, int64_t{kFullAccess}, saved.systemId});
            if (ownSecurity) db.Exec("UPDATE " + db.Table("PROFILE") + " SET DEFAULT_RIGHTS = 0 WHERE SYSTEM_ID = ?",
                                     {saved.systemId});
        }

        std::optional<int64_t> application = AsOptionalId(fields["APPLICATION"]);
        if (form.folder) {
            db.Exec("INSERT INTO " + db.Table("FOLDER") + " (SYSTEM_ID, DOCNUMBER) VALUES (?, ?)",
                    {int64_t{db.NextSystemKey()}, int64_t{saved.docNumber}});
            if (publicFolder) {
                db.Exec("INSERT INTO " + db.Table("ROOT_OBJECT") + " (DOCNUMBER, DISPLAYNAME) VALUES (?, ?)",
                        {int64_t{saved.docNumber}, fields["DOCNAME"]});
            }
            WriteDmActivity(db, saved.docNumber, kActivityProfileCreated, "Folder created", "", application);
        } else {
            WriteDmActivity(db, saved.docNumber, kActivityProfileCreated, "Profile created", "1", application);
            CreatePlaceholderVersion(db, saved.docNumber, saved.systemId, fields["AUTHOR"], application);
        }
        return saved;
    });
}

std::optional<Refusal> UpdateProfile(LibraryDb& db, const Form& form, int64_t systemId, const FormValues& edits) {
    if (edits.empty()) return std::nullopt;
    LibraryDb::FrozenClock instant(db);
    return db.InTransaction([&]() -> std::optional<Refusal> {
        FormValues current = ReadFormValues(db, form, systemId);
        if (current.empty()) return Refusal{kErrNoSuchItem, "The profile no longer exists."};
        Fields fields;
        if (auto refusal = ToFields(db, form, edits, current, fields)) return refusal;
        if (fields.empty()) return std::nullopt;
        if (form.folder) fields.erase("APPLICATION");
        if (!form.folder) {
            if (auto refusal = CheckUniqueName(db, fields, systemId)) return refusal;
        }
        fields["LAST_PRF_EDIT_DATE"] = db.NowText();
        std::string set;
        std::vector<SqlValue> params;
        for (const auto& [name, value] : fields) {
            set += (set.empty() ? "" : ", ") + QuoteName(name) + " = ?";
            params.push_back(value);
        }
        params.push_back(systemId);
        db.Exec("UPDATE " + db.Table("PROFILE") + " SET " + set + " WHERE SYSTEM_ID = ?", params);
        return std::nullopt;
    });
}

std::optional<Refusal> DeleteProfile(LibraryDb& db, int64_t systemId) {
    std::vector<std::string> files;
    auto refusal = db.InTransaction([&]() -> std::optional<Refusal> {
        auto rows = db.Query("SELECT P.DOCNUMBER, P.STATUS, A.APPLICATION FROM " + db.Table("PROFILE") +
                                 " P LEFT JOIN " + db.Table("APPS") +
                                 " A ON A.SYSTEM_ID = P.APPLICATION WHERE P.SYSTEM_ID = ?",
                             {systemId});
        if (rows.rows.empty()) return Refusal{kErrNoSuchItem, "The profile no longer exists."};
        const auto docNumber = static_cast<int32_t>(AsInt(rows.rows[0][0]));
        const bool folder =
            EqualsNoCase(AsText(rows.rows[0][2]), kFolderApplication) ||
            !IsNull(db.QueryValue("SELECT 1 FROM " + db.Table("FOLDER") + " WHERE DOCNUMBER = ?", {int64_t{docNumber}}));
        if (folder && !FolderEntries(db, docNumber).empty()) {
            return Refusal{kErrFolderNotEmpty, "Folder #" + std::to_string(docNumber) + " is not empty."};
        }
        if (AsInt(rows.rows[0][1]) == 3) {
            return Refusal{kErrCheckedOut, "Document #" + std::to_string(docNumber) + " is checked out."};
        }
        if (!MayDelete(db, systemId)) {
            return Refusal{kErrAccessDenied, db.Spec().userId + " may not delete #" + std::to_string(docNumber) + "."};
        }
        const std::vector<SqlValue> number{int64_t{docNumber}};
        auto components = db.Query("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM " + db.Table("COMPONENTS") +
                                       " C, " + db.Table("PROFILE") +
                                       " P WHERE P.DOCNUMBER = C.DOCNUMBER AND C.DOCNUMBER = ?",
                                   number);
        for (const auto& f : components.rows) {
            if (!AsText(f[2]).empty()) files.push_back(AsText(f[0]) + AsText(f[1]) + AsText(f[2]));
        }
        for (const char* table : {"COMPONENTS", "VERSIONS", "FOLDER", "ROOT_OBJECT"}) {
            db.Exec("DELETE FROM " + db.Table(table) + " WHERE DOCNUMBER = ?", number);
        }
        db.Exec("DELETE FROM " + db.Table("RELATED") +
                    " WHERE ITEM1 = ? OR (ITEM2 = ? AND (REMOTE_LIBRARY = 0 OR REMOTE_LIBRARY = -1 OR "
                    "REMOTE_LIBRARY IS NULL))",
                {int64_t{docNumber}, int64_t{docNumber}});
        db.Exec("DELETE FROM " + db.Table("SECURITY") + " WHERE THING = ?", {systemId});
        RemoveFromAllFolders(db, docNumber);
        RemoveLinksOf(db, systemId);
        db.Exec("DELETE FROM " + db.Table("PROFILE") + " WHERE SYSTEM_ID = ?", {systemId});
        // Files go only once the rows are gone for good.
        std::vector<std::filesystem::path> paths;
        for (const auto& file : files) paths.push_back(NativePath(file));
        DropComponentFiles(db, paths);
        return std::nullopt;
    });
    return refusal;
}

}  // namespace dmsim
