#pragma once
// The site `dmsite create` makes: DOCS (primary and current, with the
// settings table), ARCHIVE and ARCHIVE2, knowing each other. The demo adds
// people, groups, applications and lookup rows to every library, and the
// demo documents to DOCS (demo_documents.h).

#include <filesystem>

namespace dmsim {

class SiteBuilder;

void DescribeDefaultSite(SiteBuilder& site);
void AddDemoRows(SiteBuilder& site);
void CreateDefaultSite(const std::filesystem::path& dir, bool demo);

}  // namespace dmsim
