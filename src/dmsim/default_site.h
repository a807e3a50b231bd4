#pragma once
// The site `dmsite create` makes: DOCS (primary and current, with the
// settings table), ARCHIVE and ARCHIVE2, knowing each other. The demo adds
// people, groups, applications and lookup rows to every library, and the
// demo documents to DOCS (demo_documents.h).

#include <filesystem>
#include <string>

namespace dmsim {

class SiteBuilder;

void DescribeDefaultSite(SiteBuilder& site);
void AddDemoRows(SiteBuilder& site);
// language and dateFormat: the servers' defaults (empty: us_english and
// its own format).
void CreateDefaultSite(const std::filesystem::path& dir, bool demo, const std::string& language = "",
                       const std::string& dateFormat = "");

}  // namespace dmsim
