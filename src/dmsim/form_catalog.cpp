#include "dmsim/form_catalog.h"

namespace dmsim {

namespace {

FormColumn Text(std::string name, int width, std::string field = {}) {
    FormColumn c;
    c.field = field.empty() ? name : field;
    c.name = std::move(name);
    c.width = width;
    return c;
}

FormColumn Id(std::string name, std::string field, Lookup lookup) {
    FormColumn c = Text(std::move(name), 32, std::move(field));
    c.lookup = lookup;
    return c;
}

FormColumn Number(std::string name, std::string field = {}) {
    FormColumn c = Text(std::move(name), 0, std::move(field));
    c.kind = ColumnKind::Number;
    return c;
}

FormColumn Date(std::string name) {
    FormColumn c = Text(std::move(name), 0);
    c.kind = ColumnKind::Date;
    return c;
}

FormColumn ReadOnly(FormColumn c) {
    c.readOnly = true;
    return c;
}

std::vector<FormColumn> DocumentColumns() {
    FormColumn client = Id("CLIENT_ID", "", Lookup::Client);
    client.field.clear();
    return {
        ReadOnly(Number("DOCNUMBER")),
        Text("DOCNAME", 255),
        Id("AUTHOR_ID", "AUTHOR", Lookup::Person),
        Id("TYPIST_ID", "TYPIST", Lookup::Person),
        Id("APP_ID", "APPLICATION", Lookup::Application),
        Id("TYPE_ID", "DOCUMENTTYPE", Lookup::DocumentType),
        client,
        Id("MATTER_ID", "MATTER", Lookup::Matter),
        Text("STORAGETYPE", 1),
        // Writable: the transfer reads only writable columns, and it needs
        // this one to know whether the document has trustees.
        Number("SECURITY", "DEFAULT_RIGHTS"),
        ReadOnly(Date("CREATION_DATE")),
        ReadOnly(Date("LAST_EDIT_DATE")),
        ReadOnly(Text("DOCSERVER_LOC", 255)),
        ReadOnly(Text("PATH", 255)),
    };
}

std::vector<Form> BuildCatalog() {
    std::vector<Form> forms;
    forms.push_back({101, kDefaultFormName, false, DocumentColumns()});

    Form email{102, kEmailFormName, false, DocumentColumns()};
    for (const char* name : {"PD_ORIGINATOR", "PD_ADDRESSEE", "PD_EMAIL_CC", "PD_EMAIL_BCC", "PD_ORGANIZATION"}) {
        email.columns.push_back(Text(name, 255));
    }
    for (const char* name : {"EMAIL_SENT", "EMAIL_RECEIVED", "PD_EMAIL_DATE"}) {
        email.columns.push_back(Date(name));
    }
    forms.push_back(std::move(email));

    forms.push_back({103,
                     kFolderFormName,
                     true,
                     {
                         ReadOnly(Number("DOCNUMBER")),
                         Text("DOCNAME", 255),
                         Id("AUTHOR_ID", "AUTHOR", Lookup::Person),
                         Id("TYPIST_ID", "TYPIST", Lookup::Person),
                         Id("APP_ID", "APPLICATION", Lookup::Application),
                         Text("STORAGETYPE", 1),
                         Number("SECURITY", "DEFAULT_RIGHTS"),
                         ReadOnly(Date("CREATION_DATE")),
                         ReadOnly(Date("LAST_EDIT_DATE")),
                     }});
    return forms;
}

bool Offers(const LibrarySpec& library, const Form& form) {
    if (form.folder) return false;
    if (library.forms.empty()) return true;
    for (const auto& name : library.forms) {
        if (EqualsNoCase(name, form.name)) return true;
    }
    return false;
}

}  // namespace

int32_t FormColumn::DataType() const {
    switch (kind) {
        case ColumnKind::Number: return kDataTypeNumber;
        case ColumnKind::Date: return kDataTypeDate;
        case ColumnKind::Text: break;
    }
    return kDataTypeText;
}

const FormColumn* Form::Find(std::string_view columnName) const {
    for (const auto& c : columns) {
        if (EqualsNoCase(c.name, columnName)) return &c;
    }
    return nullptr;
}

const std::vector<Form>& FormCatalog() {
    static const std::vector<Form> forms = BuildCatalog();
    return forms;
}

const Form* FindForm(std::string_view name) {
    for (const auto& f : FormCatalog()) {
        if (EqualsNoCase(f.name, name)) return &f;
    }
    return nullptr;
}

const Form& FolderForm() { return *FindForm(kFolderFormName); }

std::vector<const Form*> LibraryForms(const LibrarySpec& library) {
    std::vector<const Form*> out;
    for (const auto& f : FormCatalog()) {
        if (Offers(library, f)) out.push_back(&f);
    }
    return out;
}

const Form* LibraryForm(const LibrarySpec& library, std::string_view name) {
    const Form* form = FindForm(name);
    return form && Offers(library, *form) ? form : nullptr;
}

std::vector<const Form*> ApplicationForms(const LibrarySpec& library, std::string_view application) {
    std::vector<const char*> names;
    if (EqualsNoCase(application, kEmailApplication)) names = {kEmailFormName, kDefaultFormName};
    else names = {kDefaultFormName};
    std::vector<const Form*> out;
    for (const char* name : names) {
        if (const Form* f = LibraryForm(library, name)) out.push_back(f);
    }
    return out;
}

const Form& FormOfRow(int32_t formId, std::string_view application, bool folder) {
    if (folder) return FolderForm();
    for (const auto& f : FormCatalog()) {
        if (f.id == formId && !f.folder) return f;
    }
    return *FindForm(EqualsNoCase(application, kEmailApplication) ? kEmailFormName : kDefaultFormName);
}

}  // namespace dmsim
