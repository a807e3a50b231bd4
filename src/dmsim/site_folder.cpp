#include "dmsim/site_folder.h"

#include <algorithm>
#include <memory>
#include <set>
#include <system_error>
#include <utility>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"

namespace fs = std::filesystem;

namespace dmsim {

namespace {

struct PathColumn {
    const char* table;
    const char* column;
};
// The columns whose values are document-server paths.
constexpr PathColumn kPathColumns[] = {
    {"DOCSERVERS", "LOCATION"}, {"PROFILE", "DOCSERVER_LOC"}, {"COMPONENTS", "ALTERNATE_PATH"}};

std::string Slashed(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string WithoutTrailingSlash(std::string text) {
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// True when the path is the folder or lies below it.
bool Within(const std::string& path, const std::string& folder) {
    const std::string p = Slashed(path);
    if (folder == "/") return !p.empty() && p.front() == '/';
    return p.compare(0, folder.size(), folder) == 0 && (p.size() == folder.size() || p[folder.size()] == '/');
}

bool SameFolder(const std::string& recorded, const fs::path& dir) {
    if (SiteFolderText(recorded) == SiteFolderText(dir)) return true;
    // The same folder reached by another name (a link) is no move.
    std::error_code ec;
    return fs::equivalent(recorded, dir, ec) && !ec;
}

fs::path Resolve(const fs::path& siteDir, const std::string& p) {
    fs::path path(p);
    return path.is_absolute() ? path : siteDir / path;
}

// The library's database when it has been made; nothing otherwise.
std::unique_ptr<LibraryDb> OpenExisting(const LibrarySpec& spec, const fs::path& siteDir) {
    std::error_code ec;
    if (!fs::is_regular_file(Resolve(siteDir, spec.file), ec)) return nullptr;
    return std::make_unique<LibraryDb>(spec, siteDir, ClockFn());
}

// A site made before its folder was recorded: a library's own DOCSERVERS
// row is the folder it was made in followed by its docserver setting.
void AddFoldersOfDocServers(LibraryDb& db, const fs::path& siteDir, std::vector<std::string>& folders) {
    const fs::path docServer = fs::path(db.Spec().docServer).lexically_normal();
    if (docServer.is_absolute() || docServer.empty() || !db.TableExists("DOCSERVERS")) return;
    const std::string tail = WithoutTrailingSlash("/" + docServer.generic_string());
    for (const auto& row : db.Query("SELECT LOCATION FROM " + db.Table("DOCSERVERS")).rows) {
        const std::string location = WithoutTrailingSlash(Slashed(AsText(row[0])));
        if (location.size() <= tail.size() ||
            location.compare(location.size() - tail.size(), tail.size(), tail) != 0) {
            continue;
        }
        std::string folder = location.substr(0, location.size() - tail.size());
        if (folder.empty()) folder = "/";
        if (folder.front() != '/' || SameFolder(folder, siteDir)) continue;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
}

// Sorts the library's stored paths: those in a former folder get their
// place in the site's folder, those in no folder of the site are left.
void Survey(LibraryDb& db, const std::string& folder, const std::vector<std::string>& formers,
            std::vector<StoredPath>& rewritten, std::vector<StoredPath>& left) {
    for (const auto& pc : kPathColumns) {
        if (!db.TableExists(pc.table)) continue;
        const std::string column = pc.column;
        auto rows = db.Query("SELECT " + column + ", COUNT(*) FROM " + db.Table(pc.table) + " WHERE " + column +
                             " IS NOT NULL AND " + column + " <> '' GROUP BY " + column);
        for (const auto& row : rows.rows) {
            StoredPath path{db.Name(), pc.table, pc.column, AsText(row[0]), "", AsInt(row[1])};
            if (Slashed(path.value).front() != '/') continue;  // no folder named
            // The deepest folder decides: a copy may lie inside its original
            // or the other way round.
            const std::string* former = nullptr;
            size_t depth = Within(path.value, folder) ? folder.size() : 0;
            bool own = depth > 0;
            for (const auto& f : formers) {
                if (Within(path.value, f) && f.size() > depth) {
                    former = &f;
                    depth = f.size();
                }
            }
            if (former) {
                path.newValue = folder + path.value.substr(former->size());
                rewritten.push_back(std::move(path));
            } else if (!own) {
                left.push_back(std::move(path));
            }
        }
    }
}

std::string ShellWord(const std::string& text) {
    if (text.find_first_of(" \t'\"$\\") == std::string::npos) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Relocation Relocate(const fs::path& siteDir, const SiteSpec& site) {
    Relocation relocation;
    relocation.folder = SiteFolderText(siteDir);
    relocation.formerFolders = FormerFolders(siteDir, site);
    for (const auto& spec : site.libraries) {
        auto db = OpenExisting(spec, siteDir);
        if (!db) continue;
        db->InTransaction([&] {
            std::vector<StoredPath> rewritten;
            Survey(*db, relocation.folder, relocation.formerFolders, rewritten, relocation.left);
            for (const auto& p : rewritten) {
                db->Exec("UPDATE " + db->Table(p.table) + " SET " + p.column + " = ? WHERE " + p.column + " = ?",
                         {p.newValue, p.value});
            }
            relocation.rewritten.insert(relocation.rewritten.end(), rewritten.begin(), rewritten.end());
        });
    }
    return relocation;
}

// Copies the site's folder but its site file; the databases through
// SQLite's backup while every library's write lock is held, so that no run
// changes a database or a component file midway.
void CopySiteFiles(const fs::path& source, const fs::path& target, const SiteSpec& site) {
    const fs::path root = SiteFolderText(source);
    std::set<fs::path> skipped = {root / kSiteFileName};
    struct Locked {
        std::unique_ptr<LibraryDb> lock;    // holds the write lock
        std::unique_ptr<LibraryDb> reader;  // a backup cannot read through a writing connection
        fs::path file;                      // relative to the site
    };
    std::vector<Locked> locked;
    for (const auto& spec : site.libraries) {
        const fs::path file = fs::path(SiteFolderText(Resolve(source, spec.file)));
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) skipped.insert(fs::path(file.string() + suffix));
        auto reader = OpenExisting(spec, source);
        if (!reader) continue;
        auto lock = OpenExisting(spec, source);
        lock->Connection().ExecScript("BEGIN IMMEDIATE");
        locked.push_back({std::move(lock), std::move(reader), file.lexically_relative(root)});
    }
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& path = it->path();
        if (skipped.count(path)) continue;
        const fs::path to = target / path.lexically_relative(root);
        if (it->is_symlink()) {
            fs::copy_symlink(path, to);
        } else if (it->is_directory()) {
            fs::create_directories(to);
        } else if (it->is_regular_file()) {
            fs::copy_file(path, to);
        }
    }
    for (auto& library : locked) {
        const fs::path to = target / library.file;
        fs::create_directories(to.parent_path());
        library.reader->Connection().BackupTo(library.reader->Owner(), to.string());
    }
    for (auto& library : locked) library.lock->Connection().ExecScript("ROLLBACK");
}

}  // namespace

std::string SiteFolderText(const fs::path& dir) {
    std::error_code ec;
    fs::path absolute = fs::absolute(dir, ec);
    return WithoutTrailingSlash((ec ? dir : absolute).lexically_normal().generic_string());
}

std::vector<std::string> FormerFolders(const fs::path& siteDir, const SiteSpec& site) {
    std::vector<std::string> folders;
    if (!site.folder.empty()) {
        if (!SameFolder(site.folder, siteDir)) folders.push_back(SiteFolderText(site.folder));
        return folders;
    }
    for (const auto& spec : site.libraries) {
        if (auto db = OpenExisting(spec, siteDir)) AddFoldersOfDocServers(*db, siteDir, folders);
    }
    return folders;
}

void CheckSiteFolder(const fs::path& siteDir, const SiteSpec& site) {
    const std::vector<std::string> formers = FormerFolders(siteDir, site);
    if (formers.empty()) return;
    const std::string folder = SiteFolderText(siteDir);
    std::vector<StoredPath> rewritten, left;
    for (const auto& spec : site.libraries) {
        if (auto db = OpenExisting(spec, siteDir)) Survey(*db, folder, formers, rewritten, left);
    }
    std::string former;
    for (const auto& f : formers) former += (former.empty() ? "" : " and ") + f;
    std::string text = "the site's stored document-server locations point into " + former +
                       ", not into its own folder " + folder + " (the site was copied or moved).";
    if (!left.empty()) {
        text += " Relocation leaves the locations in other folders as they are, for you to decide on:";
        for (const auto& p : left) {
            text += " " + p.library + " " + p.table + "." + p.column + " " + p.value + " (" + std::to_string(p.rows) +
                    " row(s));";
        }
        text.back() = '.';
    }
    // The command last, so that it can be taken as it stands.
    text += " To point them at the site's folder, run: dmsite relocate " + ShellWord(folder);
    throw SiteError(text);
}

Relocation RelocateSite(const fs::path& siteDir) {
    const SiteSpec site = ReadSiteFile(siteDir / kSiteFileName);
    Relocation relocation = Relocate(siteDir, site);
    // Last: a crash before it leaves the site refused, and a rerun finishes.
    RecordSiteFolder(siteDir / kSiteFileName, relocation.folder);
    return relocation;
}

Relocation CopySite(const fs::path& source, const fs::path& target) {
    const SiteSpec site = ReadSiteFile(source / kSiteFileName);
    std::error_code ec;
    if (fs::exists(target, ec) && (!fs::is_directory(target, ec) || !fs::is_empty(target, ec))) {
        throw SiteError(target.string() + " exists and is not an empty folder");
    }
    if (Within(SiteFolderText(fs::weakly_canonical(fs::absolute(target))), SiteFolderText(fs::canonical(source)))) {
        throw SiteError("the copy cannot lie inside the site it copies");
    }
    const std::string from = SiteFolderText(source);
    for (const auto& spec : site.libraries) {
        const std::pair<const char*, std::string> places[] = {{"database", spec.file},
                                                              {"document files", spec.docServer}};
        for (const auto& [what, setting] : places) {
            const std::string place = SiteFolderText(Resolve(source, setting));
            if (!Within(place, from)) {
                throw SiteError("library " + spec.name + " keeps its " + what + " in " + place +
                                ", outside the site's folder; a copy of the site cannot take them along");
            }
        }
    }

    const bool made = !fs::exists(target, ec);
    fs::create_directories(target);
    try {
        CopySiteFiles(source, target, site);
        Relocation relocation = Relocate(target, site);
        fs::copy_file(source / kSiteFileName, target / kSiteFileName);
        RecordSiteFolder(target / kSiteFileName, relocation.folder);
        return relocation;
    } catch (...) {
        // The folder was new or empty: nothing of a half-made copy stays.
        std::error_code ignored;
        if (made) {
            fs::remove_all(target, ignored);
        } else {
            for (const auto& entry : fs::directory_iterator(target, ignored)) fs::remove_all(entry.path(), ignored);
        }
        throw;
    }
}

}  // namespace dmsim
