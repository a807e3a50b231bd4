#pragma once
// The profile forms of the emulated DM: which forms a library has, their
// columns, which are read-only, and the PROFILE columns behind them.
//
// Three forms exist; a library offers the two document forms unless its
// site entry names fewer ("forms = DEFPROF"), and always the folder form:
//
//   DEFPROF     document form: DOCNUMBER*, DOCNAME, AUTHOR_ID, TYPIST_ID,
//               APP_ID, TYPE_ID, CLIENT_ID, MATTER_ID, STORAGETYPE,
//               SECURITY, CREATION_DATE*, LAST_EDIT_DATE*, DOCSERVER_LOC*,
//               PATH*
//   EMAILPROF   DEFPROF and the e-mail columns PD_ORIGINATOR,
//               PD_ADDRESSEE, PD_EMAIL_CC, PD_EMAIL_BCC, PD_ORGANIZATION,
//               EMAIL_SENT, EMAIL_RECEIVED, PD_EMAIL_DATE
//   FOLDERPROF  folder form: DOCNUMBER*, DOCNAME, AUTHOR_ID, TYPIST_ID,
//               APP_ID, STORAGETYPE, SECURITY, CREATION_DATE*,
//               LAST_EDIT_DATE*
//   (* read-only)
//
// A form column maps to the PROFILE column of the same name except:
// AUTHOR_ID, TYPIST_ID -> AUTHOR, TYPIST (PEOPLE.SYSTEM_ID by USER_ID);
// APP_ID -> APPLICATION (APPS by APPLICATION); TYPE_ID -> DOCUMENTTYPE
// (DOCUMENTTYPES by TYPE_ID); MATTER_ID -> MATTER (MATTER by MATTER_ID
// within the client); CLIENT_ID has no column of its own: it reads as the
// matter's client and picks the client of the matter on a save; SECURITY
// -> DEFAULT_RIGHTS (0 no own security, 1 own trustees).
//
// PROFILE.FORM holds the form's number. A row without a known number (rows
// written by SQL) shows the folder form for a folder, the e-mail form for
// the 'MS OUTLOOK' application and the default form otherwise.
//
// Document applications are the library's APPS rows other than 'FOLDER',
// in SYSTEM_ID order; 'MS OUTLOOK' lists EMAILPROF then DEFPROF, every
// other application DEFPROF, each as far as the library offers the form.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dmsim/site_spec.h"

namespace dmsim {

enum class ColumnKind { Text, Number, Date };

// What a lookup column's id is looked up in.
enum class Lookup { None, Person, Application, DocumentType, Client, Matter };

// IDmColumn::DataType codes; only 4 (numeric) means anything to the program.
inline constexpr int32_t kDataTypeText = 1;
inline constexpr int32_t kDataTypeNumber = 4;
inline constexpr int32_t kDataTypeDate = 8;

struct FormColumn {
    std::string name;   // as the form names it
    std::string field;  // the PROFILE column; "" for CLIENT_ID
    ColumnKind kind = ColumnKind::Text;
    bool readOnly = false;
    Lookup lookup = Lookup::None;
    int width = 0;  // longest text the column takes

    int32_t DataType() const;
};

struct Form {
    int32_t id = 0;  // PROFILE.FORM
    std::string name;
    bool folder = false;
    std::vector<FormColumn> columns;

    const FormColumn* Find(std::string_view columnName) const;  // case-insensitive
};

inline constexpr const char* kDefaultFormName = "DEFPROF";
inline constexpr const char* kEmailFormName = "EMAILPROF";
inline constexpr const char* kFolderFormName = "FOLDERPROF";
inline constexpr const char* kFolderApplication = "FOLDER";
inline constexpr const char* kEmailApplication = "MS OUTLOOK";

// Every form of the emulated DM.
const std::vector<Form>& FormCatalog();
const Form* FindForm(std::string_view name);
const Form& FolderForm();

// The document forms a library offers, in catalogue order.
std::vector<const Form*> LibraryForms(const LibrarySpec& library);
// A document form the library offers, by name; nothing for the folder form
// or a form it lacks.
const Form* LibraryForm(const LibrarySpec& library, std::string_view name);
// The forms of a document application in the library, its default first.
std::vector<const Form*> ApplicationForms(const LibrarySpec& library, std::string_view application);
// The form a stored profile shows.
const Form& FormOfRow(int32_t formId, std::string_view application, bool folder);

}  // namespace dmsim
