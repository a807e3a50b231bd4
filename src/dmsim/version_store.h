#pragma once
// A document's versions: VERSIONS rows with their COMPONENTS rows and
// component files (doc_storage.h names and places them).
//
// AddVersion decides the kind by the fifth argument, never by the flags:
// - none (or empty): a version: VERSION = the document's highest + 1,
//   SUBVERSION '!', label the number. With the placeholder present the
//   first added version is therefore version 2, label '2', file <code>02!.
// - a text with a leading number v: a subversion of the version labelled v
//   (by label, so after the program's first-version fix-up the version
//   labelled '1' is found although its VERSION is 2): its VERSION, the next
//   free letter from 'A', label v + letter. Refused when no version carries
//   that label, or when 'Z' is taken.
// - any other text: an attachment: VERSION = highest + 1, SUBVERSION '!',
//   the text as its label.
// The file is copied into the document's storage; the COMPONENTS row gets
// no ENCRYPTION_KEY_ID; the PROFILE row's LAST_EDIT_DATE is stamped (a
// content edit); an activity row carries the new label. Refused: a file
// that is missing or unreadable, an author or typist the library does not
// know (disabled people are known), a name already taken in the storage.
//
// Encryption is not emulated: a component with an ENCRYPTION_KEY_ID holds
// its plain content, and a check-out copies it as it is.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dmclient/variant.h"
#include "dmsim/dm_errors.h"
#include "dmsim/sqlite_handle.h"

namespace dmsim {

class LibraryDb;

struct VersionRow {
    int32_t versionId = 0;
    int32_t docNumber = 0;
    int32_t version = 0;
    std::string subversion;
    std::string label;
};

// In version order: VERSION, then SUBVERSION with '!' (or none) first.
std::vector<VersionRow> ListVersions(LibraryDb& db, int32_t docNumber);
std::optional<VersionRow> FindVersion(LibraryDb& db, int32_t versionId);
// DOCSERVER_LOC + PATH + COMPONENTS.PATH of the rows as they are now, joined
// as stored; "" when the document or its component row is missing.
std::string ComponentPath(LibraryDb& db, int32_t versionId);

// The empty version '1' of a newly saved document, with its file.
void CreatePlaceholderVersion(LibraryDb& db, int32_t docNumber, int64_t systemId, const SqlValue& author,
                              std::optional<int64_t> application);

struct VersionRequest {
    std::string file;
    std::string author;
    std::string typist;
    std::optional<std::string> fifth;
    std::string comment;
    // A wrong label for a new subversion (injected): the given text, or
    // when empty the next version number's label.
    std::optional<std::string> wrongSubversionLabel;
};

struct AddedVersion {
    int32_t versionId = 0;
    std::optional<Refusal> refusal;
};

AddedVersion AddVersion(LibraryDb& db, int64_t profileSystemId, const VersionRequest& request);

// Copies the version's file into the folder under its own name and records
// the check-out: a CHECKOUT row (document, version, the user, the folder,
// dates and comment) and PROFILE.STATUS 3. The program removes both itself.
std::optional<Refusal> CheckOutVersion(LibraryDb& db, int32_t versionId, const std::string& directory,
                                       const dm::Variant& due, const std::string& comment);

}  // namespace dmsim
