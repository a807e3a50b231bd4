#pragma once
// Names of the emulator's operations that faults can be armed on. Object
// code checks its operation with FaultInjector::Hit; a new operation needs
// only a name here and that one call.

#include <string_view>

namespace dmsim::op {

// Creation through the factory; the name a rule matches is the identifier.
inline constexpr std::string_view kCreateApplication = "Factory.CreateApplication";
inline constexpr std::string_view kCreateClient = "Factory.CreateClient";
inline constexpr std::string_view kCreateSql = "Factory.CreateSql";
inline constexpr std::string_view kCreateSearchDialog = "Factory.CreateSearchDialog";

inline constexpr std::string_view kClientName = "Client.Name";
inline constexpr std::string_view kClientLogon = "Client.Logon";
inline constexpr std::string_view kClientLogoff = "Client.Logoff";

inline constexpr std::string_view kApplicationLibraries = "Application.Libraries";
inline constexpr std::string_view kApplicationCurrentLibrary = "Application.CurrentLibrary";
inline constexpr std::string_view kApplicationPrimaryLibrary = "Application.PrimaryLibrary";
inline constexpr std::string_view kApplicationSecurityToken = "Application.SecurityToken";
inline constexpr std::string_view kApplicationSetParentWindow = "Application.SetParentWindow";
inline constexpr std::string_view kApplicationSelectLibrary = "Application.SelectLibrary";

inline constexpr std::string_view kLibrariesCount = "Libraries.Count";
inline constexpr std::string_view kLibrariesItem = "Libraries.Item";

// Library operations match the library's name.
inline constexpr std::string_view kLibraryName = "Library.Name";
inline constexpr std::string_view kLibraryUserId = "Library.UserId";
inline constexpr std::string_view kLibraryPrimaryGroup = "Library.PrimaryGroup";
inline constexpr std::string_view kLibraryIsPrimary = "Library.IsPrimary";
inline constexpr std::string_view kLibraryConnect = "Library.Connect";
inline constexpr std::string_view kLibraryProperties = "Library.Properties";
inline constexpr std::string_view kLibraryForms = "Library.Forms";
inline constexpr std::string_view kLibraryDocApplications = "Library.DocApplications";
// These match the document number too.
inline constexpr std::string_view kLibraryGetProfile = "Library.GetProfile";
inline constexpr std::string_view kLibraryGetFolder = "Library.GetFolder";
inline constexpr std::string_view kLibraryNewProfile = "Library.NewProfile";
inline constexpr std::string_view kLibraryNewFolder = "Library.NewFolder";

// Property operations match the library and the property's name.
inline constexpr std::string_view kPropertiesCount = "Properties.Count";
inline constexpr std::string_view kPropertiesItem = "Properties.Item";
inline constexpr std::string_view kPropertyValue = "Property.Value";

// SQL object operations match the bound library; Execute also the
// statement, the reads of a result (ColumnValue, ColumnInfo, NextRow) the
// statement that gave it, GetNextKey the key name.
inline constexpr std::string_view kSqlSetSecurityToken = "Sql.SetSecurityToken";
inline constexpr std::string_view kSqlSetLibrary = "Sql.SetLibrary";
inline constexpr std::string_view kSqlDatabaseVendor = "Sql.DatabaseVendor";
inline constexpr std::string_view kSqlExecute = "Sql.Execute";
inline constexpr std::string_view kSqlColumnValue = "Sql.ColumnValue";
inline constexpr std::string_view kSqlColumnInfo = "Sql.ColumnInfo";
inline constexpr std::string_view kSqlNextRow = "Sql.NextRow";
inline constexpr std::string_view kSqlReleaseResults = "Sql.ReleaseResults";
inline constexpr std::string_view kSqlGetNextKey = "Sql.GetNextKey";

// Documents and folders. Every operation below matches the library and the
// document number of the object it is called on (0 while it is unsaved);
// column operations also the column's name, collection items their index
// (ForIndex), properties of a search pick its library.

// Profile (IDmProfile and its relations view).
inline constexpr std::string_view kProfileDocNumber = "Profile.DocNumber";
inline constexpr std::string_view kProfileColumns = "Profile.Columns";
inline constexpr std::string_view kProfileVersions = "Profile.Versions";
inline constexpr std::string_view kProfileTrustees = "Profile.Trustees";
inline constexpr std::string_view kProfileParentFolders = "Profile.ParentFolders";
inline constexpr std::string_view kProfileOpenForEdit = "Profile.OpenForEdit";
inline constexpr std::string_view kProfileSave = "Profile.Save";
inline constexpr std::string_view kProfileDelete = "Profile.Delete";
inline constexpr std::string_view kProfileClose = "Profile.Close";
inline constexpr std::string_view kProfileUnlock = "Profile.Unlock";
inline constexpr std::string_view kProfileAddVersion = "Profile.AddVersion";
// Answer(label): the label a new subversion gets instead of the right one;
// AnswerNothing: the next version number's label ("2A" for version 1).
inline constexpr std::string_view kSubversionLabel = "Profile.SubversionLabel";
inline constexpr std::string_view kProfileDisplay = "Profile.Display";
inline constexpr std::string_view kProfileLinks = "Profile.Links";
inline constexpr std::string_view kProfileRelatedItems = "Profile.RelatedItems";
// Casts to the other views of the same object; any armed fault: nothing.
inline constexpr std::string_view kProfileAsProfileObject = "Profile.AsProfileObject";
inline constexpr std::string_view kProfileAsFolder = "Profile.AsFolder";

// Columns (IDmColumns, IDmColumn); Value with Answer(Variant::Null()) makes
// a column hold Null.
inline constexpr std::string_view kColumnsCount = "Columns.Count";
inline constexpr std::string_view kColumnsItem = "Columns.Item";
inline constexpr std::string_view kColumnValue = "Column.Value";
inline constexpr std::string_view kColumnSetValue = "Column.SetValue";
inline constexpr std::string_view kColumnIsValid = "Column.IsValid";

// Versions (IDmVersions, IDmVersion); the document is the version's.
inline constexpr std::string_view kVersionsCount = "Versions.Count";
inline constexpr std::string_view kVersionsItem = "Versions.Item";
// Any armed fault but Raise: no file and no rows are written.
inline constexpr std::string_view kVersionCheckOut = "Version.CheckOut";
inline constexpr std::string_view kVersionRelease = "Version.Release";
inline constexpr std::string_view kVersionUnlock = "Version.Unlock";

// Trustees; ItemByName matches the user id as its name.
inline constexpr std::string_view kTrusteesItemByName = "Trustees.ItemByName";
inline constexpr std::string_view kTrusteeCanDelete = "Trustee.CanDelete";

// Folder (IDmFolder); additions and removals match the folder's number.
// Answer(true) on a removal is the sticky mode: True, the item stays.
inline constexpr std::string_view kFolderDocNumber = "Folder.DocNumber";
inline constexpr std::string_view kFolderSubfolders = "Folder.Subfolders";
inline constexpr std::string_view kFolderDocuments = "Folder.Documents";
inline constexpr std::string_view kFolderAddDocument = "Folder.AddDocument";
inline constexpr std::string_view kFolderAddFolder = "Folder.AddFolder";
inline constexpr std::string_view kFolderRemoveDocument = "Folder.RemoveDocument";
inline constexpr std::string_view kFolderRemoveFolder = "Folder.RemoveFolder";
inline constexpr std::string_view kFolderSave = "Folder.Save";
inline constexpr std::string_view kFolderAsFolderObject = "Folder.AsFolderObject";
inline constexpr std::string_view kFolderAsProfile = "Folder.AsProfile";

// Collections of profiles and folders (a folder's documents and subfolders,
// parent folders, related items, search results), matching the owner.
inline constexpr std::string_view kProfilesItem = "Profiles.Item";
inline constexpr std::string_view kProfilesRemove = "Profiles.Remove";
inline constexpr std::string_view kFoldersItem = "Folders.Item";

// Links of a profile; Remove with Defer takes effect at the next Refresh.
inline constexpr std::string_view kLinksRemove = "Links.Remove";

// The search dialog (its library is the one it searches).
inline constexpr std::string_view kSearchDialogShow = "SearchDialog.Show";

}  // namespace dmsim::op
