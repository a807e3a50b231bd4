#pragma once
// A site's state as comparable text: every row of every DM table, every
// component file, the settings file and what is left in the temporary
// folder, with what differs between two runs that did the same work taken
// out. Documents are named by their DOCNAME wherever a number, a key or a
// path names them (keys and numbers depend on how many a run drew); a
// component row names its file by the file's contents; dates a run wrote
// (later than the `recent` date text) read "NOW"; the site's folder reads
// "<site>". Two runs leave equal snapshots when they left the same
// documents, versions, files, folders, filings, trustees, history,
// relations, check-outs, settings and queue.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"

namespace test_support {

class SiteSnapshot {
public:
    // Table ("DOCS.PROFILE", "FILES.ARCHIVE", "REGISTRY", "TEMP") to its
    // rows, sorted.
    std::map<std::string, std::vector<std::string>> tables;

    bool operator==(const SiteSnapshot& other) const { return tables == other.tables; }

    // The rows one snapshot has more of than the other, as "TABLE: - row"
    // (only here) and "TABLE: + row" (only in `other`); at most `limit`.
    std::vector<std::string> Differences(const SiteSnapshot& other, size_t limit = 12) const {
        std::vector<std::string> out;
        std::set<std::string> names;
        for (const auto& [name, rows] : tables) names.insert(name);
        for (const auto& [name, rows] : other.tables) names.insert(name);
        static const std::vector<std::string> none;
        for (const auto& name : names) {
            auto a = tables.count(name) ? tables.at(name) : none;
            auto b = other.tables.count(name) ? other.tables.at(name) : none;
            std::vector<std::string> onlyA, onlyB;
            std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
            std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
            for (const auto& r : onlyA) out.push_back(name + ": - " + r);
            for (const auto& r : onlyB) out.push_back(name + ": + " + r);
        }
        if (out.size() > limit) {
            const size_t more = out.size() - limit;
            out.resize(limit);
            out.push_back("... and " + std::to_string(more) + " more");
        }
        return out;
    }
};

namespace snapshot_detail {

namespace fs = std::filesystem;

inline std::string Text(const dmsim::SqlValue& v) {
    if (dmsim::IsNull(v)) return "NULL";
    if (auto d = std::get_if<double>(&v)) {
        std::ostringstream o;
        o << *d;
        return o.str();
    }
    return dmsim::AsText(v);
}

inline std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Names of one library's documents by number, profile key and version key,
// and of its folder items by key.
struct Names {
    std::map<int64_t, std::string> docs, things, versions, items;
    std::map<int64_t, std::string> remoteLibraries;  // REMOTE_LIBRARIES key to name
};

inline std::string Find(const std::map<int64_t, std::string>& map, int64_t key, const char* kind) {
    auto it = map.find(key);
    return it != map.end() ? it->second : std::string(kind) + "?" + std::to_string(key);
}

}  // namespace snapshot_detail

// Takes the snapshot of a site. `before` holds the names of a snapshot of
// the same site before any run (for rows that name documents a run removed,
// such as a moved source); `home` and `temp` are the program's settings and
// temporary folders ("" to leave them out).
class SnapshotTaker {
public:
    using Names = snapshot_detail::Names;

    SnapshotTaker(std::filesystem::path site, std::string recent) : site_(std::move(site)), recent_(std::move(recent)) {
        siteText_ = site_.string();
    }

    // The names of every library as they stand now.
    std::map<std::string, Names> ReadNames() {
        std::map<std::string, Names> all;
        const auto spec = dmsim::ReadSiteFile(site_ / dmsim::kSiteFileName);
        for (const auto& library : spec.libraries) {
            dmsim::LibraryDb db(library, site_, nullptr);
            Names& n = all[library.name];
            for (auto& r : db.Query("SELECT DOCNUMBER, SYSTEM_ID, DOCNAME FROM DOCSADM.PROFILE").rows) {
                const std::string name = "'" + snapshot_detail::Text(r[2]) + "'";
                n.docs[dmsim::AsInt(r[0])] = name;
                n.things[dmsim::AsInt(r[1])] = name;
            }
            for (auto& r : db.Query("SELECT V.VERSION_ID, V.DOCNUMBER, V.VERSION_LABEL FROM DOCSADM.VERSIONS V").rows) {
                n.versions[dmsim::AsInt(r[0])] =
                    snapshot_detail::Find(n.docs, dmsim::AsInt(r[1]), "doc") + "/" + snapshot_detail::Text(r[2]);
            }
            for (auto& r : db.Query("SELECT SYSTEM_ID, PARENT, DOCNUMBER FROM DOCSADM.FOLDER_ITEM").rows) {
                n.items[dmsim::AsInt(r[0])] = snapshot_detail::Find(n.docs, dmsim::AsInt(r[1]), "doc") + ">" +
                                              snapshot_detail::Find(n.docs, dmsim::AsInt(r[2]), "doc");
            }
            for (auto& r : db.Query("SELECT SYSTEM_ID, LIBRARY_NAME FROM DOCSADM.REMOTE_LIBRARIES").rows) {
                n.remoteLibraries[dmsim::AsInt(r[0])] = snapshot_detail::Text(r[1]);
            }
        }
        return all;
    }

    SiteSnapshot Take(const std::map<std::string, Names>& before, const std::string& home, const std::string& temp) {
        namespace fs = std::filesystem;
        using snapshot_detail::Find;
        using snapshot_detail::Text;
        SiteSnapshot shot;
        names_ = ReadNames();
        // A name missing now is taken from before the runs.
        for (const auto& [library, old] : before) {
            Names& now = names_[library];
            for (const auto& [k, v] : old.docs) now.docs.emplace(k, v);
            for (const auto& [k, v] : old.things) now.things.emplace(k, v);
            for (const auto& [k, v] : old.versions) now.versions.emplace(k, v);
        }
        const auto spec = dmsim::ReadSiteFile(site_ / dmsim::kSiteFileName);
        for (const auto& library : spec.libraries) {
            dmsim::LibraryDb db(library, site_, nullptr);
            const Names& own = names_[library.name];
            auto tables = db.Query("SELECT name FROM DOCSADM.sqlite_master WHERE type = 'table' ORDER BY name");
            for (auto& t : tables.rows) {
                const std::string table = Text(t[0]);
                if (table == "DOCSCOLUMN" || table == "DOCSTABLE" || table == "DMSIM_KEYS" || table == "SEQ_PROFILE") {
                    continue;
                }
                auto rows = db.Query("SELECT * FROM DOCSADM." + table);
                auto& out = shot.tables[library.name + "." + table];
                for (auto& r : rows.rows) out.push_back(Row(library.name, own, table, rows.columns, r, db));
                std::sort(out.begin(), out.end());
            }
            // The files of the library's document server, by their contents.
            auto& files = shot.tables["FILES." + library.name];
            if (fs::exists(db.DocServerDir())) {
                for (auto& e : fs::recursive_directory_iterator(db.DocServerDir())) {
                    if (e.is_regular_file()) files.push_back(Contents(e.path()));
                }
            }
            std::sort(files.begin(), files.end());
        }
        if (!home.empty()) {
            std::ifstream in(fs::path(home) / "registry.ini");
            auto& out = shot.tables["REGISTRY"];
            for (std::string line; std::getline(in, line);) {
                if (line.rfind("Screen.", 0) == 0 || line.empty()) continue;
                out.push_back(line);
            }
            std::sort(out.begin(), out.end());
        }
        if (!temp.empty() && fs::exists(temp)) {
            auto& out = shot.tables["TEMP"];
            for (auto& e : fs::directory_iterator(temp)) {
                const std::string name = e.path().filename().string();
                if (name.rfind("Dorvane_", 0) == 0 && e.path().extension() != ".LOG") out.push_back("left: " + name);
            }
            std::sort(out.begin(), out.end());
        }
        return shot;
    }

private:
    // A library's document: by the number a row gives and the library that
    // a REMOTE_LIBRARIES key (0, -1 or NULL: this one) names.
    std::string Doc(const std::string& library, const Names& own, int64_t number, const dmsim::SqlValue& remote) {
        std::string lib = library;
        if (!dmsim::IsNull(remote)) {
            const int64_t key = dmsim::AsInt(remote);
            if (key > 0) lib = snapshot_detail::Find(own.remoteLibraries, key, "lib");
        }
        const Names& names = names_[lib];
        const std::string name = snapshot_detail::Find(names.docs, number < 0 ? -number : number, "doc");
        return (lib == library ? "" : lib + ":") + (number < 0 ? "-" : "") + name;
    }

    std::string Contents(const std::filesystem::path& path) {
        if (!std::filesystem::exists(path)) return "MISSING " + Value(path.filename().string());
        const std::string bytes = snapshot_detail::Slurp(path);
        return "file " + std::to_string(bytes.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(bytes));
    }

    // A value as text: the site's folder as "<site>", a run's date as "NOW".
    std::string Value(std::string text) {
        for (size_t at; (at = text.find(siteText_)) != std::string::npos;) text.replace(at, siteText_.size(), "<site>");
        if (text >= recent_ && IsDate(text)) return "NOW";
        return text;
    }

    // "YYYY-MM-DD", with a time or not.
    static bool IsDate(const std::string& text) {
        if (text.size() < 10 || text.size() > 26 || text[4] != '-' || text[7] != '-') return false;
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        }
        for (size_t i = 10; i < text.size(); ++i) {
            const char c = text[i];
            if (!std::isdigit(static_cast<unsigned char>(c)) && c != ' ' && c != 'T' && c != ':' && c != '.') {
                return false;
            }
        }
        return true;
    }

    // Numbers after "#" read "#N": they name documents by a number a run drew.
    static std::string WithoutNumbers(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            out += text[i];
            if (text[i] != '#') continue;
            size_t j = i + 1;
            if (j < text.size() && text[j] == '-') ++j;
            const size_t digits = j;
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
            if (j > digits) {
                out += 'N';
                i = j - 1;
            }
        }
        return out;
    }

    std::string Row(const std::string& library, const Names& own, const std::string& table,
                    const std::vector<std::string>& columns, const std::vector<dmsim::SqlValue>& r,
                    dmsim::LibraryDb& db) {
        using snapshot_detail::Find;
        using snapshot_detail::Text;
        auto column = [&](const char* name) -> const dmsim::SqlValue& {
            static const dmsim::SqlValue null;
            for (size_t i = 0; i < columns.size(); ++i) {
                if (columns[i] == name) return r[i];
            }
            return null;
        };
        std::string row;
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string& c = columns[i];
            const dmsim::SqlValue& v = r[i];
            const int64_t n = dmsim::AsInt(v);
            std::string text;
            if (c == "SYSTEM_ID" || c == "LINK_ID" || (table == "PROFILE" && (c == "DOCNUMBER" || c == "PATH"))) {
                continue;  // keys drawn by the run; PROFILE is named by DOCNAME
            } else if (table == "COMPONENTS" && c == "PATH") {
                auto p = db.Query("SELECT DOCSERVER_LOC, PATH FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?",
                                  {column("DOCNUMBER")});
                text = p.rows.empty() ? "no profile for " + Text(v)
                                      : Contents(std::filesystem::path(Text(p.rows[0][0]) + Text(p.rows[0][1]) + Text(v))
                                                     .lexically_normal());
            } else if (c == "VERSION_ID") {
                text = Find(own.versions, n, "version");
            } else if (table == "FOLDER_ITEM" && c == "NEXT") {
                text = n == 0 ? "0" : Find(own.items, n, "item");
            } else if (table == "FOLDER_ITEM" && c == "DOCNUMBER") {
                text = Doc(library, own, n, column("LIBRARY"));
            } else if (table == "FOLDER_ITEM" && c == "PARENT") {
                text = Doc(library, own, n, column("PARENT_LIBRARY"));
            } else if (table == "RELATED" && c == "ITEM2") {
                text = Doc(library, own, n, column("REMOTE_LIBRARY"));
            } else if (table == "ACTIVITYLOG" && c == "REF_DOCUMENT") {
                text = n == 0 ? "0" : Doc(library, own, n, column("REF_LIBRARY"));
            } else if (table == "ACTIVITYLOG" && c == "ACTIVITY_DESC") {
                text = WithoutNumbers(Value(Text(v)));
            } else if (c == "DOCNUMBER" || c == "ITEM1" || c == "PROFILE_ID" || (table == "NEEDS_ARCHIVING" && c == "SID")) {
                text = Doc(library, own, n, dmsim::SqlValue());
            } else if (c == "SECURITY_LINK") {
                text = n <= 0 ? Text(v) : Find(own.things, n, "thing");
            } else if (c == "THING" || c == "OWNER_THING") {
                text = Find(own.things, n, "thing");
            } else if (table == "DMSIM_LINKS" && c == "LINKED_THING") {
                text = Find(names_[Text(column("LINKED_LIBRARY"))].things, n, "thing");
            } else {
                text = Value(Text(v));
            }
            row += (row.empty() ? "" : " | ") + c + "=" + text;
        }
        return row;
    }

    std::filesystem::path site_;
    std::string siteText_;
    std::string recent_;
    std::map<std::string, Names> names_;
};

}  // namespace test_support
