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
// statement, GetNextKey the key name.
inline constexpr std::string_view kSqlSetSecurityToken = "Sql.SetSecurityToken";
inline constexpr std::string_view kSqlSetLibrary = "Sql.SetLibrary";
inline constexpr std::string_view kSqlDatabaseVendor = "Sql.DatabaseVendor";
inline constexpr std::string_view kSqlExecute = "Sql.Execute";
inline constexpr std::string_view kSqlColumnValue = "Sql.ColumnValue";
inline constexpr std::string_view kSqlColumnInfo = "Sql.ColumnInfo";
inline constexpr std::string_view kSqlNextRow = "Sql.NextRow";
inline constexpr std::string_view kSqlReleaseResults = "Sql.ReleaseResults";
inline constexpr std::string_view kSqlGetNextKey = "Sql.GetNextKey";

}  // namespace dmsim::op
