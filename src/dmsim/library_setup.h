#pragma once
// A fresh library: its tables, keys, data dictionary, key counters and the
// rows a new DM library holds.

#include "dmsim/site_spec.h"

namespace dmsim {

class LibraryDb;

// Sets up the library in one transaction; when its PROFILE table exists
// already only the emulator's own tables are added where missing. REMOTE_LIBRARIES gets the library's own row
// (SYSTEM_ID 0) and one row per other library of the site.
void CreateLibraryDatabase(LibraryDb& db, const SiteSpec& site);

}  // namespace dmsim
