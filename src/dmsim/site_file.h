#pragma once
// Reading and writing the site file, and finding the site folder.

#include <filesystem>
#include <string>

#include "dmsim/site_spec.h"

namespace dmsim {

// The site file inside a site folder.
inline constexpr const char* kSiteFileName = "site.ini";

// Where the program finds its site: the folder in DMSIM_SITE, else a
// per-user folder (~/.local/share/dorvane/dmsite).
std::filesystem::path DefaultSiteDir();

// Throws SiteError naming the line for a malformed file.
SiteSpec ReadSiteFile(const std::filesystem::path& file);
SiteSpec ParseSiteText(const std::string& text);
std::string FormatSiteText(const SiteSpec& site);
void WriteSiteFile(const std::filesystem::path& file, const SiteSpec& site);
// Sets the site's recorded folder in its file, keeping every other line.
void RecordSiteFolder(const std::filesystem::path& file, const std::string& folder);

// A property value as the site file writes it, and back.
std::string FormatPropertyValue(const dm::Variant& value);
dm::Variant ParsePropertyValue(const std::string& text);

}  // namespace dmsim
