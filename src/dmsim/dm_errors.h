#pragma once
// Run-time errors the emulated client raises on its own (not injected):
// numbers and sources of the DM client's objects.

#include <cstdint>
#include <string>
#include <string_view>

namespace dmsim {

inline constexpr const char* kObjectsSource = "DOCSObjects";
inline constexpr const char* kSqlSource = "PCDClient.PCDSQL";

// An index outside a collection.
inline constexpr int32_t kErrBadIndex = static_cast<int32_t>(0x8002000Bu);
// A property name the collection does not hold.
inline constexpr int32_t kErrUnknownName = static_cast<int32_t>(0x80020006u);
// An identifier the factory does not know.
inline constexpr int32_t kErrInvalidClass = static_cast<int32_t>(0x800401F3u);
// A library name the site does not hold.
inline constexpr int32_t kErrUnknownLibrary = static_cast<int32_t>(0x80040E37u);
// A library whose database cannot be opened.
inline constexpr int32_t kErrLibraryUnavailable = static_cast<int32_t>(0x80004005u);
// A library whose database or document server fails under a call (a
// damaged page, a full disk): the client's general failure, as above.
inline constexpr int32_t kErrServerFailure = static_cast<int32_t>(0x80004005u);

// Called in the catch handler of an entry of the client's objects that
// reaches a library's database or files: the failure in hand leaves as the
// client's own error, so that the caller's handler for DM errors deals with
// it. A DmError (refusals, injected faults) and a lack of memory pass as
// they are; any other failure (SQLite, the file system) becomes a DmError
// of that source naming the library ("" when the call names none).
[[noreturn]] void RethrowAsDmError(std::string_view source, std::string_view library);

// A column the form shows read-only, or a value the column cannot hold
// (raised by IDmColumn's setter).
inline constexpr int32_t kErrColumnReadOnly = static_cast<int32_t>(0x80041101u);
inline constexpr int32_t kErrBadColumnValue = static_cast<int32_t>(0x80041102u);

// The reason a call was refused, as IDmErrorInfo reports it.
struct Refusal {
    int32_t number = 0;
    std::string description;
};

// Reasons of refused calls, carried by IDmErrorInfo.
inline constexpr int32_t kErrNotOpenForEdit = static_cast<int32_t>(0x80041201u);
inline constexpr int32_t kErrFileMissing = static_cast<int32_t>(0x80041202u);
inline constexpr int32_t kErrUnknownUser = static_cast<int32_t>(0x80041203u);
inline constexpr int32_t kErrNoSuchVersion = static_cast<int32_t>(0x80041204u);
inline constexpr int32_t kErrInvalidValue = static_cast<int32_t>(0x80041205u);
inline constexpr int32_t kErrDuplicateName = static_cast<int32_t>(0x80041206u);
inline constexpr int32_t kErrFolderNotEmpty = static_cast<int32_t>(0x80041207u);
inline constexpr int32_t kErrAccessDenied = static_cast<int32_t>(0x80041208u);
inline constexpr int32_t kErrNotSaved = static_cast<int32_t>(0x80041209u);
inline constexpr int32_t kErrNotFiled = static_cast<int32_t>(0x8004120Au);
inline constexpr int32_t kErrNoSuchItem = static_cast<int32_t>(0x8004120Bu);
inline constexpr int32_t kErrStorage = static_cast<int32_t>(0x8004120Cu);
inline constexpr int32_t kErrNoMoreSubversions = static_cast<int32_t>(0x8004120Du);
inline constexpr int32_t kErrRemoteLibraryUnknown = static_cast<int32_t>(0x8004120Eu);
inline constexpr int32_t kErrCheckedOut = static_cast<int32_t>(0x8004120Fu);

}  // namespace dmsim
