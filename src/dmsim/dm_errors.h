#pragma once
// Run-time errors the emulated client raises on its own (not injected):
// numbers and sources of the DM client's objects.

#include <cstdint>

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

}  // namespace dmsim
