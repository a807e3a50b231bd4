#pragma once
// The ids a profile form shows for its lookup columns (user, application,
// document type, client and matter ids) resolved to the SYSTEM_IDs the
// PROFILE row holds. An unknown id and a disabled row ('1' or 'Y') resolve
// to nothing: the DM refuses them.

#include <cstdint>
#include <optional>
#include <string>

#include "dmsim/form_catalog.h"

namespace dmsim {

class LibraryDb;

bool IsDisabledFlag(const std::string& flag);

// An enabled row's SYSTEM_ID. A matter is looked up within the client when
// one is given (its SYSTEM_ID), else the first matter of that id.
std::optional<int64_t> ResolveLookup(LibraryDb& db, Lookup lookup, const std::string& id,
                                     std::optional<int64_t> client = std::nullopt);

// A person by user id, enabled or not.
std::optional<int64_t> FindPerson(LibraryDb& db, const std::string& userId);

}  // namespace dmsim
