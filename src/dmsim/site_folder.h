#pragma once
// Where a site's stored document-server paths point, and making a copied or
// moved site point at its own folder.
//
// DOCSERVERS.LOCATION, PROFILE.DOCSERVER_LOC and COMPONENTS.ALTERNATE_PATH
// hold absolute paths, as the DM's do, so a copied site still names the
// files of the site it came from, and a Move on the copy would delete them.
// The site file records the folder the site was made in or last relocated
// to; a site opened in another folder is refused until relocated. A site
// made before the folder was recorded tells it by its libraries' own
// DOCSERVERS rows: the location less the library's docserver setting.
//
// Relocating rewrites the paths that lie in that former folder and leaves
// every other path as it is: those name another site's files (a
// metadata-only archive of a library elsewhere) and are the user's to
// decide on.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dmsim/site_spec.h"

namespace dmsim {

// A folder as sites record and compare it: absolute, without a trailing "/".
std::string SiteFolderText(const std::filesystem::path& dir);

// One distinct path value of a column in a library, with its row count.
struct StoredPath {
    std::string library;
    std::string table;
    std::string column;
    std::string value;
    std::string newValue;  // what relocation makes of it; "" when left alone
    int64_t rows = 0;
};

struct Relocation {
    std::string folder;                      // the site's folder now
    std::vector<std::string> formerFolders;  // where its paths point instead; empty: in place
    std::vector<StoredPath> rewritten;
    std::vector<StoredPath> left;  // in other folders
};

// The folders a site's paths point into instead of its own; empty when the
// site is where it was made (or relocated to).
std::vector<std::string> FormerFolders(const std::filesystem::path& siteDir, const SiteSpec& site);

// Throws SiteError naming both folders, the paths in other folders and the
// repair command when the site was copied or moved.
void CheckSiteFolder(const std::filesystem::path& siteDir, const SiteSpec& site);

// Rewrites the paths in the former folders to the site's folder, in one
// transaction per library, then records the folder in the site file. A
// rerun after a crash finishes the work.
Relocation RelocateSite(const std::filesystem::path& siteDir);

// Copies a site into a folder that is new or empty and relocates the copy.
// Each library's write lock is held while the site is copied, and the
// databases are copied through SQLite's backup; the site file comes last,
// so an interrupted copy is no site.
Relocation CopySite(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace dmsim
