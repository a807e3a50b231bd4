#pragma once
// The PROFILE row of a document or folder as its form shows it, and the
// DM's own writes of it.
//
// A new profile (InsertProfile), in one transaction at one instant of the
// clock:
// - its number from SEQ_PROFILE.LASTKEY + 1 (numbers a fixture already
//   used are passed over; LASTKEY takes the number), its SYSTEM_ID from
//   "SYSTEMKEY";
// - one INSERT of the row, with both edit dates stamped, so an installed
//   queue trigger sees a new row once; STATUS 0, PD_OBJ_TYPE '0', ITEM_TYPE
//   'D' or 'F' where the column exists, DOCSERVER_LOC and PATH ending with
//   "/", FORM the form's number; AUTHOR and TYPIST default to the
//   logged-on user, a folder's APPLICATION is always 'FOLDER';
// - security: DEFAULT_RIGHTS 0 with the single no-trustees row (0, 255);
//   a SECURITY column set to non-zero gives DEFAULT_RIGHTS 1 with the
//   author as the one trustee with full rights;
// - a document gets its placeholder version (version_store.h), a folder
//   its FOLDER row and, when public, its ROOT_OBJECT row;
// - activity rows (dm_activity.h).
//
// Saving refuses, with an error number: a lookup value that is unknown or
// disabled, a document without an application, and, while
// "DOCSParms.UniqueDocNames" is True, a document name another document of
// the library bears in any letter case; and a new profile when LASTKEY
// stands at the largest INT (the server's arithmetic overflow).

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "dmclient/variant.h"
#include "dmsim/dm_errors.h"
#include "dmsim/form_catalog.h"

namespace dmsim {

class LibraryDb;

// Column values by upper-cased form column name.
using FormValues = std::map<std::string, dm::Variant>;

// The row's values as the form shows them; empty when the row is gone.
FormValues ReadFormValues(LibraryDb& db, const Form& form, int64_t systemId);

struct SavedProfile {
    int32_t docNumber = 0;
    int64_t systemId = 0;
    std::optional<Refusal> refusal;
};

SavedProfile InsertProfile(LibraryDb& db, const Form& form, const FormValues& edits, bool publicFolder);
// Writes the edited columns (none is normal: nothing is written) with
// LAST_PRF_EDIT_DATE stamped.
std::optional<Refusal> UpdateProfile(LibraryDb& db, const Form& form, int64_t systemId, const FormValues& edits);
// Removes the item: refuses a folder that holds items, a checked-out
// document and an item the user may not delete; takes the item out of its
// folders and removes its versions and files, security, links, related
// rows, and a folder's FOLDER and ROOT_OBJECT rows.
std::optional<Refusal> DeleteProfile(LibraryDb& db, int64_t systemId);

// The next document number (inside the caller's transaction); nothing when
// the counter stands at the largest number an INT holds.
std::optional<int32_t> NextDocNumber(LibraryDb& db);

// A library parameter as the site sets it (Empty when it has none).
dm::Variant LibraryParameter(const LibraryDb& db, const std::string& name);

}  // namespace dmsim
