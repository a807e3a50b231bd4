// The site file: an INI-style text file, "site.ini" in the site folder.
//
//   ; comments start with ';' or '#'
//   [site]
//   primary = DOCS              the user's primary library
//   current = DOCS              the DM's current library
//   token = DMSIM-TOKEN         security token of the logged-on user
//   client = DM Client          the DM client's name
//   version = 10.2              DM client version (machine registry value)
//   patch = 1                   DM client patch level (machine registry value)
//   folder = /home/me/dmsite    the folder the site was made in or last
//                               relocated to; opened elsewhere (copied or
//                               moved), the site is refused until
//                               `dmsite relocate` points its paths here
//   language = British          the servers' default language (us_english,
//                               British, Deutsch, Français or their aliases);
//                               absent: us_english
//   dateformat = dmy            their default date format; absent: the
//                               language's own
//
//   [library DOCS]              one section per library, in the DM's order;
//                               the name as the DM spells it
//   file = DOCS.db              SQLite file, relative to the site folder
//   owner = DOCSADM             schema owner the file is attached as
//   engine = 1                  what DatabaseVendor reports (2/5 Oracle,
//                               6 Sybase, other non-zero SQL Server, 0 unknown)
//   database_engine = 1         REMOTE_LIBRARIES.DATABASE_ENGINE (0: engine)
//   server_version = 13.0.5026.0   serverproperty('ProductVersion'); empty:
//                               no answer
//   docserver = docserver/DOCS  document-server folder, relative to the site
//   user = DMADMIN              the user's id in this library
//   user_name = DM Administrator
//   group = DOCS_SUPERVISORS    the user's primary group
//   case_sensitive = no         text comparison
//   columns = PROFILE.SECURITY_LINK ACTIVITYLOG.START_TIME ...
//                               optional columns that exist (absent: all)
//   settings_table = yes        KEST_SETTINGS exists
//   last_docnumber = 0          SEQ_PROFILE.LASTKEY of a new database
//   forms = DEFPROF EMAILPROF   document forms offered (absent or empty: all)
//
//   [properties DOCS]           rights and parameters in Properties order;
//   User.DocDelete = true       absent section: the default set. Values:
//   User.MaxSubVersions = 26    true/false (Boolean), whole or decimal
//   Some.Text = "text"          numbers, "quoted text", empty, null; any
//                               other text is taken as text
//
// Settings other than engine, server version, user, rights, token and the
// site section only shape a library when its database is created.

#include "dmsim/site_file.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "dmsim/date_text.h"

namespace dmsim {

namespace {

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool ParseBool(const std::string& value, int line) {
    std::string v = ToUpper(value);
    if (v == "YES" || v == "TRUE" || v == "1") return true;
    if (v == "NO" || v == "FALSE" || v == "0") return false;
    throw SiteError("site file line " + std::to_string(line) + ": not a yes/no value: " + value);
}

int32_t ParseInt(const std::string& value, int line) {
    char* end = nullptr;
    long long v = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || v < INT32_MIN || v > INT32_MAX) {
        throw SiteError("site file line " + std::to_string(line) + ": not a whole number: " + value);
    }
    return static_cast<int32_t>(v);
}

std::vector<OptionalColumn> ParseColumns(const std::string& value, int line) {
    std::vector<OptionalColumn> columns;
    std::istringstream in(value);
    std::string word;
    while (in >> word) {
        if (!word.empty() && word.back() == ',') word.pop_back();
        if (word.empty()) continue;
        bool found = false;
        for (const auto& c : kOptionalColumns) {
            if (EqualsNoCase(word, std::string(c.table) + "." + c.name) ||
                EqualsNoCase(word, c.name)) {
                columns.push_back(c.column);
                found = true;
            }
        }
        if (!found) {
            throw SiteError("site file line " + std::to_string(line) +
                            ": unknown optional column: " + word);
        }
    }
    return columns;
}

std::vector<std::string> ParseWords(const std::string& value) {
    std::vector<std::string> words;
    std::istringstream in(value);
    std::string word;
    while (in >> word) {
        if (!word.empty() && word.back() == ',') word.pop_back();
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

bool IsWholeNumber(const std::string& s) {
    size_t i = (s.size() > 1 && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i >= s.size()) return false;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
}

}  // namespace

std::filesystem::path DefaultSiteDir() {
    if (const char* env = std::getenv("DMSIM_SITE"); env && *env) return env;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        return std::filesystem::path(data) / "dorvane" / "dmsite";
    }
    const char* home = std::getenv("HOME");
    std::filesystem::path base = home && *home ? home : ".";
    return base / ".local" / "share" / "dorvane" / "dmsite";
}

std::string FormatPropertyValue(const dm::Variant& value) {
    switch (value.kind()) {
        case dm::Variant::Kind::Empty:
            return "empty";
        case dm::Variant::Kind::Null:
            return "null";
        case dm::Variant::Kind::Boolean:
            return value.IsBooleanTrue() ? "true" : "false";
        case dm::Variant::Kind::Integer:
            return value.ToText();
        case dm::Variant::Kind::Double: {
            std::string text = value.ToText();
            if (text.find_first_of(".eEnN") == std::string::npos) text += ".0";
            return text;
        }
        case dm::Variant::Kind::Text: {
            std::string out = "\"";
            for (char c : value.ToText()) {
                if (c == '"' || c == '\\') out += '\\';
                out += c;
            }
            return out + "\"";
        }
    }
    return "empty";
}

dm::Variant ParsePropertyValue(const std::string& text) {
    std::string upper = ToUpper(text);
    if (upper == "TRUE") return true;
    if (upper == "FALSE") return false;
    if (upper == "EMPTY" || text.empty()) return dm::Variant();
    if (upper == "NULL") return dm::Variant::Null();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        std::string out;
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            if (text[i] == '\\' && i + 2 < text.size()) ++i;
            out += text[i];
        }
        return out;
    }
    if (IsWholeNumber(text)) {
        long long v = std::strtoll(text.c_str(), nullptr, 10);
        if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<int32_t>(v);
        return static_cast<double>(v);
    }
    char* end = nullptr;
    double d = std::strtod(text.c_str(), &end);
    if (*end == '\0' && std::isfinite(d)) return d;
    return text;
}

SiteSpec ParseSiteText(const std::string& text) {
    SiteSpec site;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    enum class Section { None, Site, Library, Properties } section = Section::None;
    LibrarySpec* library = nullptr;
    std::map<std::string, bool> propertiesSeen;  // upper-cased library name
    std::vector<std::pair<std::string, std::vector<LibraryProperty>>> properties;

    while (std::getline(in, raw)) {
        ++line;
        std::string s = Trim(raw);
        if (s.empty() || s[0] == ';' || s[0] == '#') continue;
        if (s.front() == '[') {
            if (s.back() != ']') {
                throw SiteError("site file line " + std::to_string(line) + ": bad section header");
            }
            std::string header = Trim(s.substr(1, s.size() - 2));
            std::string upper = ToUpper(header);
            if (upper == "SITE") {
                section = Section::Site;
            } else if (upper.rfind("LIBRARY ", 0) == 0) {
                std::string name = Trim(header.substr(8));
                if (name.empty() || site.Find(name)) {
                    throw SiteError("site file line " + std::to_string(line) +
                                    ": missing or repeated library name");
                }
                site.libraries.push_back(LibrarySpec{});
                library = &site.libraries.back();
                library->name = name;
                section = Section::Library;
            } else if (upper.rfind("PROPERTIES ", 0) == 0) {
                std::string name = Trim(header.substr(11));
                if (propertiesSeen[ToUpper(name)]) {
                    throw SiteError("site file line " + std::to_string(line) +
                                    ": repeated properties section");
                }
                propertiesSeen[ToUpper(name)] = true;
                properties.emplace_back(name, std::vector<LibraryProperty>{});
                section = Section::Properties;
            } else {
                throw SiteError("site file line " + std::to_string(line) +
                                ": unknown section [" + header + "]");
            }
            continue;
        }
        size_t eq = s.find('=');
        if (eq == std::string::npos) {
            throw SiteError("site file line " + std::to_string(line) + ": expected key = value");
        }
        std::string key = Trim(s.substr(0, eq));
        std::string value = Trim(s.substr(eq + 1));
        std::string k = ToUpper(key);
        switch (section) {
            case Section::None:
                throw SiteError("site file line " + std::to_string(line) +
                                ": value outside a section");
            case Section::Site:
                if (k == "PRIMARY") site.primaryLibrary = value;
                else if (k == "CURRENT") site.currentLibrary = value;
                else if (k == "TOKEN") site.securityToken = value;
                else if (k == "CLIENT") site.clientName = value;
                else if (k == "VERSION") site.clientVersion = value;
                else if (k == "PATCH") site.patchLevel = value;
                else if (k == "FOLDER") site.folder = value;
                else if (k == "LANGUAGE") site.language = value;
                else if (k == "DATEFORMAT") site.dateFormat = value;
                else throw SiteError("site file line " + std::to_string(line) + ": unknown key " + key);
                break;
            case Section::Library:
                if (k == "FILE") library->file = value;
                else if (k == "OWNER") library->owner = value;
                else if (k == "ENGINE") library->engine = ParseInt(value, line);
                else if (k == "DATABASE_ENGINE") library->databaseEngine = ParseInt(value, line);
                else if (k == "SERVER_VERSION") library->serverVersion = value;
                else if (k == "DOCSERVER") library->docServer = value;
                else if (k == "USER") library->userId = value;
                else if (k == "USER_NAME") library->userName = value;
                else if (k == "GROUP") library->primaryGroup = value;
                else if (k == "CASE_SENSITIVE") library->caseSensitive = ParseBool(value, line);
                else if (k == "COLUMNS") library->columns = ParseColumns(value, line);
                else if (k == "SETTINGS_TABLE") library->settingsTable = ParseBool(value, line);
                else if (k == "LAST_DOCNUMBER") library->lastDocNumber = ParseInt(value, line);
                else if (k == "FORMS") library->forms = ParseWords(value);
                else throw SiteError("site file line " + std::to_string(line) + ": unknown key " + key);
                break;
            case Section::Properties:
                properties.back().second.emplace_back(key, ParsePropertyValue(value));
                break;
        }
    }

    for (auto& lib : site.libraries) {
        if (lib.file.empty()) lib.file = lib.name + ".db";
        if (lib.docServer.empty()) lib.docServer = "docserver/" + lib.name;
        std::string owner = ToUpper(lib.owner);
        if (owner.empty() || owner == "MAIN" || owner == "TEMP") {
            throw SiteError("library " + lib.name + ": unusable owner '" + lib.owner + "'");
        }
        lib.properties = DefaultLibraryProperties();
    }
    for (auto& [name, list] : properties) {
        LibrarySpec* lib = site.Find(name);
        if (!lib) throw SiteError("properties for an unknown library: " + name);
        lib->properties = std::move(list);
    }
    if (site.libraries.empty()) throw SiteError("the site has no library");
    if (!SessionDateSettings(site.language, site.dateFormat)) {
        throw SiteError(FindServerLanguage(site.language) || site.language.empty()
                            ? "unknown date format: " + site.dateFormat + " (mdy, dmy, ymd, ydm, myd or dym)"
                            : "unknown language: " + site.language);
    }
    if (site.primaryLibrary.empty()) site.primaryLibrary = site.libraries.front().name;
    if (site.currentLibrary.empty()) site.currentLibrary = site.primaryLibrary;
    if (!site.Find(site.primaryLibrary)) {
        throw SiteError("primary library is not a library of the site: " + site.primaryLibrary);
    }
    if (!site.Find(site.currentLibrary)) {
        throw SiteError("current library is not a library of the site: " + site.currentLibrary);
    }
    return site;
}

SiteSpec ReadSiteFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw SiteError("cannot read site file " + file.string());
    std::stringstream buffer;
    buffer << in.rdbuf();
    return ParseSiteText(buffer.str());
}

std::string FormatSiteText(const SiteSpec& site) {
    std::ostringstream out;
    out << "; DM emulator site\n[site]\n"
        << "primary = " << site.primaryLibrary << "\n"
        << "current = " << site.currentLibrary << "\n"
        << "token = " << site.securityToken << "\n"
        << "client = " << site.clientName << "\n"
        << "version = " << site.clientVersion << "\n"
        << "patch = " << site.patchLevel << "\n";
    if (!site.folder.empty()) out << "folder = " << site.folder << "\n";
    if (!site.language.empty()) out << "language = " << site.language << "\n";
    if (!site.dateFormat.empty()) out << "dateformat = " << site.dateFormat << "\n";
    for (const auto& lib : site.libraries) {
        out << "\n[library " << lib.name << "]\n"
            << "file = " << lib.file << "\n"
            << "owner = " << lib.owner << "\n"
            << "engine = " << lib.engine << "\n"
            << "database_engine = " << lib.databaseEngine << "\n"
            << "server_version = " << lib.serverVersion << "\n"
            << "docserver = " << lib.docServer << "\n"
            << "user = " << lib.userId << "\n"
            << "user_name = " << lib.userName << "\n"
            << "group = " << lib.primaryGroup << "\n"
            << "case_sensitive = " << (lib.caseSensitive ? "yes" : "no") << "\n"
            << "columns =";
        for (const auto& c : kOptionalColumns) {
            if (lib.HasColumn(c.column)) out << " " << c.table << "." << c.name;
        }
        out << "\nsettings_table = " << (lib.settingsTable ? "yes" : "no") << "\n"
            << "last_docnumber = " << lib.lastDocNumber << "\n";
        if (!lib.forms.empty()) {
            out << "forms =";
            for (const auto& form : lib.forms) out << " " << form;
            out << "\n";
        }
        out
            << "\n[properties " << lib.name << "]\n";
        for (const auto& [name, value] : lib.properties) {
            out << name << " = " << FormatPropertyValue(value) << "\n";
        }
    }
    return out.str();
}

namespace {

// Replaces the file at once, so that a crash leaves the old or the new text.
void ReplaceFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out) throw SiteError("cannot write site file " + file.string());
        out << text;
        if (!out) throw SiteError("cannot write site file " + file.string());
    }
    std::filesystem::rename(tmp, file);
}

}  // namespace

void WriteSiteFile(const std::filesystem::path& file, const SiteSpec& site) { ReplaceFile(file, FormatSiteText(site)); }

void RecordSiteFolder(const std::filesystem::path& file, const std::string& folder) {
    std::ifstream in(file);
    if (!in) throw SiteError("cannot read site file " + file.string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    in.close();

    const std::string entry = "folder = " + folder;
    std::optional<size_t> siteHeader;
    bool inSite = false;
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string s = Trim(lines[i]);
        if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
            inSite = EqualsNoCase(Trim(s.substr(1, s.size() - 2)), "site");
            if (inSite) siteHeader = i;
            continue;
        }
        size_t eq = s.find('=');
        if (inSite && eq != std::string::npos && EqualsNoCase(Trim(s.substr(0, eq)), "folder")) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done && siteHeader) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*siteHeader) + 1, entry);
    if (!done && !siteHeader) lines.insert(lines.begin(), {"[site]", entry, ""});
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    ParseSiteText(text);  // what is written must read back
    ReplaceFile(file, text);
}

}  // namespace dmsim
