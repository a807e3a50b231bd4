#pragma once
// The DM client's object model as the program uses it. Objects are shared
// pointers; a null pointer is the client's "nothing". A call the client
// refuses outright throws DmError. Collections are numbered from 1.
//
// Answers that the client documents as Booleans but that a caller checks
// either for True or only against False (saves, deletes, folder filing,
// rights, flags) are Variants, so that a value of another kind reaches the
// caller as it is.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dmclient/dm_error.h"
#include "dmclient/variant.h"

namespace dm {

class IDmApplication;
class IDmLibraries;
class IDmLibrary;
class IDmProperties;
class IDmProperty;
class IDmSql;
class IDmProfile;
class IDmProfileRelations;
class IDmProfileObject;
class IDmProfiles;
class IDmColumns;
class IDmColumn;
class IDmVersions;
class IDmVersion;
class IDmFolders;
class IDmFolder;
class IDmFolderObject;
class IDmTrustees;
class IDmTrustee2;
class IDmLinks;
class IDmLink;
class IDmForms;
class IDmForm;
class IDmDocApplications;
class IDmDocApplication;
class IDmDocApplicationForms;
class IDmDocApplicationForm;
class IDmSearchDialog;

using ApplicationPtr = std::shared_ptr<IDmApplication>;
using LibrariesPtr = std::shared_ptr<IDmLibraries>;
using LibraryPtr = std::shared_ptr<IDmLibrary>;
using PropertiesPtr = std::shared_ptr<IDmProperties>;
using PropertyPtr = std::shared_ptr<IDmProperty>;
using SqlPtr = std::shared_ptr<IDmSql>;
using ProfilePtr = std::shared_ptr<IDmProfile>;
using ProfileObjectPtr = std::shared_ptr<IDmProfileObject>;
using ProfilesPtr = std::shared_ptr<IDmProfiles>;
using ColumnsPtr = std::shared_ptr<IDmColumns>;
using ColumnPtr = std::shared_ptr<IDmColumn>;
using VersionsPtr = std::shared_ptr<IDmVersions>;
using VersionPtr = std::shared_ptr<IDmVersion>;
using FoldersPtr = std::shared_ptr<IDmFolders>;
using FolderPtr = std::shared_ptr<IDmFolder>;
using FolderObjectPtr = std::shared_ptr<IDmFolderObject>;
using TrusteesPtr = std::shared_ptr<IDmTrustees>;
using TrusteePtr = std::shared_ptr<IDmTrustee2>;
using LinksPtr = std::shared_ptr<IDmLinks>;
using LinkPtr = std::shared_ptr<IDmLink>;
using FormsPtr = std::shared_ptr<IDmForms>;
using FormPtr = std::shared_ptr<IDmForm>;
using DocApplicationsPtr = std::shared_ptr<IDmDocApplications>;
using DocApplicationPtr = std::shared_ptr<IDmDocApplication>;
using DocApplicationFormsPtr = std::shared_ptr<IDmDocApplicationForms>;
using DocApplicationFormPtr = std::shared_ptr<IDmDocApplicationForm>;
using SearchDialogPtr = std::shared_ptr<IDmSearchDialog>;

// The reason of the last refused call on a profile or folder; 0 when the
// last call succeeded.
class IDmErrorInfo {
public:
    virtual ~IDmErrorInfo() = default;
    virtual int32_t ErrorNumber() = 0;
    virtual std::string ErrorDescription() = 0;
};

// ---- Session -------------------------------------------------------------

class IDmClientSession {
public:
    virtual ~IDmClientSession() = default;
    virtual void Logon() = 0;
    virtual void Logoff() = 0;
};

class IDmClientInfo {
public:
    virtual ~IDmClientInfo() = default;
    virtual std::string Name() = 0;
};

// The login object: one object, seen through both interfaces.
class IDmClient : public IDmClientSession, public IDmClientInfo {};
using ClientPtr = std::shared_ptr<IDmClient>;

class IDmApplication {
public:
    virtual ~IDmApplication() = default;
    virtual LibrariesPtr Libraries() = 0;
    virtual LibraryPtr CurrentLibrary() = 0;
    virtual LibraryPtr PrimaryLibrary() = 0;
    virtual std::string SecurityToken() = 0;
    virtual void SetParentWindow(intptr_t windowHandle) = 0;
    // The DM's library chooser; nothing when the user cancels.
    virtual LibraryPtr SelectLibrary() = 0;
};

class IDmLibraries {
public:
    virtual ~IDmLibraries() = default;
    virtual int32_t Count() = 0;
    virtual LibraryPtr Item(int32_t index) = 0;
};

class IDmLibrary {
public:
    virtual ~IDmLibrary() = default;
    virtual std::string Name() = 0;
    virtual std::string UserId() = 0;
    virtual std::string PrimaryGroup() = 0;
    virtual Variant IsPrimary() = 0;
    virtual void Connect() = 0;
    virtual PropertiesPtr Properties() = 0;
    virtual FormsPtr Forms() = 0;
    virtual DocApplicationsPtr DocApplications() = 0;
    // Nothing when there is no such document or folder.
    virtual ProfilePtr GetProfile(int32_t docNumber) = 0;
    virtual FolderPtr GetFolder(int32_t docNumber) = 0;
    virtual ProfilePtr NewProfile(const std::string& formName) = 0;
    virtual FolderPtr NewFolder() = 0;
};

// User rights ("User.DocDelete") and library parameters
// ("DOCSParms.UniqueDocNames").
class IDmProperty {
public:
    virtual ~IDmProperty() = default;
    virtual std::string Name() = 0;
    virtual Variant Value() = 0;
};

class IDmProperties {
public:
    virtual ~IDmProperties() = default;
    virtual int32_t Count() = 0;
    virtual PropertyPtr Item(int32_t index) = 0;
    virtual PropertyPtr Item(const std::string& name) = 0;
};

// ---- SQL object ----------------------------------------------------------

class IDmSql {
public:
    virtual ~IDmSql() = default;
    virtual void SetSecurityToken(const std::string& token) = 0;
    virtual void SetLibrary(const std::string& libraryName) = 0;
    virtual int32_t DatabaseVendor() = 0;
    // Runs one statement in the bound library; 0 for success.
    virtual int32_t Execute(const std::string& statement) = 0;
    virtual int32_t RowsAffected() = 0;
    virtual int32_t RowCount() = 0;
    virtual int32_t ColumnCount() = 0;
    virtual std::string ColumnName(int32_t column) = 0;
    // Empty for NULL, for no row and after a failed statement.
    virtual Variant ColumnValue(int32_t column) = 0;
    virtual Variant ColumnInfo(int32_t column) = 0;
    // Moves to the next row; false when there is none.
    virtual bool NextRow() = 0;
    virtual void ReleaseResults() = 0;
    // The next value of a key counter; 0 when none can be had.
    virtual int32_t GetNextKey(const std::string& keyName) = 0;
    virtual int32_t ErrorCode() = 0;
    // IDmSqlError
    virtual std::string ErrorText() = 0;
};

// ---- Profiles ------------------------------------------------------------

class IDmColumn {
public:
    virtual ~IDmColumn() = default;
    virtual std::string Name() = 0;
    virtual Variant Value() = 0;
    virtual void SetValue(const Variant& value) = 0;
    // 4 means numeric.
    virtual int32_t DataType() = 0;
    virtual Variant ReadOnly() = 0;
    virtual Variant IsValid() = 0;
};

class IDmColumns {
public:
    virtual ~IDmColumns() = default;
    virtual int32_t Count() = 0;
    virtual ColumnPtr Item(int32_t index) = 0;
};

class IDmVersion {
public:
    virtual ~IDmVersion() = default;
    virtual std::string Label() = 0;
    virtual int32_t VersionId() = 0;
    virtual std::string FilePath() = 0;
    virtual ProfilePtr Profile() = 0;
    virtual Variant CheckOut(const Variant& due, const std::string& comment,
                             const std::string& directory) = 0;
    virtual Variant Release(int32_t flags) = 0;
    virtual void Unlock() = 0;
};

class IDmVersions {
public:
    virtual ~IDmVersions() = default;
    virtual int32_t Count() = 0;
    virtual VersionPtr Item(int32_t index) = 0;
};

class IDmTrustee2 {
public:
    virtual ~IDmTrustee2() = default;
    virtual Variant CanDelete() = 0;
};

class IDmTrustees {
public:
    virtual ~IDmTrustees() = default;
    virtual int32_t Count() = 0;
    virtual TrusteePtr ItemByName(const std::string& userId) = 0;
};

class IDmProfile : public IDmErrorInfo {
public:
    virtual int32_t DocNumber() = 0;
    virtual std::string Name() = 0;
    virtual LibraryPtr Library() = 0;
    virtual std::string FormName() = 0;
    virtual ColumnsPtr Columns() = 0;
    virtual VersionsPtr Versions() = 0;
    virtual TrusteesPtr Trustees() = 0;
    virtual FoldersPtr ParentFolders() = 0;
    // 1 when the profile is locked for editing.
    virtual int32_t OpenForEdit(int32_t mode) = 0;
    virtual Variant Save(int32_t flags) = 0;
    virtual Variant Delete(int32_t flags) = 0;
    virtual void Close() = 0;
    virtual VersionPtr Unlock(int32_t mode, int32_t reserved, const std::string& text,
                              int32_t flags) = 0;
    // fifth: absent for a version, the version number for a subversion, the
    // label for an attachment.
    virtual VersionPtr AddVersion(int32_t flags, const std::string& file,
                                  const std::string& author, const std::string& typist,
                                  const std::optional<std::string>& fifth,
                                  const std::string& comment) = 0;
    virtual void Display(int32_t mode) = 0;

    // Views of the same DM object; each answers nothing when the object does
    // not offer it.
    virtual ProfileObjectPtr AsProfileObject() = 0;
    virtual FolderPtr AsFolder() = 0;
};

class IDmProfileRelations : public IDmProfile {
public:
    virtual LinksPtr Links() = 0;
    virtual ProfilesPtr RelatedItems() = 0;
};

class IDmProfileObject : public IDmProfileRelations {};

class IDmProfiles {
public:
    virtual ~IDmProfiles() = default;
    virtual int32_t Count() = 0;
    virtual ProfilePtr Item(int32_t index) = 0;
    virtual void Refresh() = 0;
    virtual Variant Remove(const ProfilePtr& item) = 0;
};

class IDmLink {
public:
    virtual ~IDmLink() = default;
    virtual ProfilePtr LinkedProfile() = 0;
};

class IDmLinks {
public:
    virtual ~IDmLinks() = default;
    virtual int32_t Count() = 0;
    virtual LinkPtr Item(int32_t index) = 0;
    virtual Variant Remove(const LinkPtr& link) = 0;
    virtual void Refresh() = 0;
};

// ---- Folders -------------------------------------------------------------

class IDmFolder : public IDmErrorInfo {
public:
    virtual std::string Name() = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual std::string Title() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual int32_t DocNumber() = 0;
    virtual Variant IsPublic() = 0;
    virtual void SetIsPublic(bool isPublic) = 0;
    virtual LibraryPtr Library() = 0;
    virtual FoldersPtr Subfolders() = 0;
    virtual ProfilesPtr Documents() = 0;
    virtual Variant AddDocument(const ProfileObjectPtr& item) = 0;
    virtual Variant AddFolder(const FolderObjectPtr& item) = 0;
    virtual Variant RemoveDocument(const ProfilePtr& item) = 0;
    virtual Variant RemoveFolder(const FolderPtr& item) = 0;
    virtual Variant Save(int32_t flags) = 0;

    virtual FolderObjectPtr AsFolderObject() = 0;
    // The folder's profile view.
    virtual ProfilePtr AsProfile() = 0;
};

class IDmFolderObject : public IDmFolder {};

class IDmFolders {
public:
    virtual ~IDmFolders() = default;
    virtual int32_t Count() = 0;
    virtual FolderPtr Item(int32_t index) = 0;
    virtual void Refresh() = 0;
};

// ---- Forms and document applications -------------------------------------

class IDmForm {
public:
    virtual ~IDmForm() = default;
    virtual std::string Name() = 0;
};

class IDmForms {
public:
    virtual ~IDmForms() = default;
    virtual int32_t Count() = 0;
    virtual FormPtr Item(int32_t index) = 0;
};

class IDmDocApplicationForm {
public:
    virtual ~IDmDocApplicationForm() = default;
    virtual std::string Name() = 0;
};

class IDmDocApplicationForms {
public:
    virtual ~IDmDocApplicationForms() = default;
    virtual int32_t Count() = 0;
    virtual DocApplicationFormPtr Item(int32_t index) = 0;
};

class IDmDocApplication {
public:
    virtual ~IDmDocApplication() = default;
    virtual std::string Name() = 0;
    virtual DocApplicationFormsPtr Forms() = 0;
};

class IDmDocApplications {
public:
    virtual ~IDmDocApplications() = default;
    virtual int32_t Count() = 0;
    virtual DocApplicationPtr Item(int32_t index) = 0;
};

// ---- Search dialog -------------------------------------------------------

class IDmSearchDialog {
public:
    virtual ~IDmSearchDialog() = default;
    virtual void SetPrompt(const std::string& prompt) = 0;
    // 0 when the user cancels.
    virtual int32_t Show(int32_t mode) = 0;
    virtual ProfilesPtr Results() = 0;
};

}  // namespace dm
