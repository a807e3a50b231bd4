#include "dmsim/storage_journal.h"

#include <fstream>
#include <string>
#include <system_error>

#include "dmsim/library_db.h"
#include "dmsim/site_spec.h"

namespace dmsim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPending = ".part~";
constexpr const char* kDoomed = ".del~";

fs::path WithSuffix(const fs::path& file, const char* suffix) {
    fs::path p = file;
    p += suffix;
    return p;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void WriteComponentFile(LibraryDb& db, const fs::path& source, const fs::path& target) {
    fs::create_directories(target.parent_path());
    const fs::path pending = WithSuffix(target, kPending);
    try {
        if (source.empty()) {
            std::ofstream file(pending, std::ios::binary | std::ios::trunc);
            if (!file) throw SiteError("cannot create the component file " + target.string());
        } else {
            fs::copy_file(source, pending, fs::copy_options::overwrite_existing);
        }
    } catch (...) {
        // A copy cut short (a full disk) goes at once: no row names it.
        std::error_code ec;
        fs::remove(pending, ec);
        throw;
    }
    db.AfterCommit(
        [pending, target] {
            std::error_code ec;
            fs::rename(pending, target, ec);
        },
        [pending] {
            std::error_code ec;
            fs::remove(pending, ec);
        });
}

void DropComponentFiles(LibraryDb& db, const std::vector<fs::path>& files) {
    for (const auto& file : files) {
        const fs::path doomed = WithSuffix(file, kDoomed);
        std::error_code ec;
        fs::rename(file, doomed, ec);
        if (ec) continue;
        db.AfterCommit(
            [doomed] {
                std::error_code removeError;
                fs::remove(doomed, removeError);
            },
            [doomed, file] {
                std::error_code renameError;
                fs::rename(doomed, file, renameError);
            });
    }
}

int RecoverComponentFiles(LibraryDb& db) {
    std::error_code ec;
    if (!fs::is_directory(db.DocServerDir(), ec)) return 0;
    std::vector<fs::path> leftovers;
    for (fs::recursive_directory_iterator it(db.DocServerDir(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (EndsWith(name, kPending) || EndsWith(name, kDoomed)) leftovers.push_back(it->path());
    }
    if (leftovers.empty()) return 0;
    // Under the write lock: a live writer's files are settled before we look.
    return db.InTransaction([&] {
        int settled = 0;
        for (const auto& leftover : leftovers) {
            const std::string name = leftover.filename().string();
            const size_t cut = EndsWith(name, kPending) ? std::string(kPending).size() : std::string(kDoomed).size();
            const fs::path file = leftover.parent_path() / name.substr(0, name.size() - cut);
            std::error_code fileError;
            if (!fs::exists(leftover, fileError)) continue;
            const bool named =
                AsInt(db.QueryValue("SELECT COUNT(*) FROM " + db.Table("COMPONENTS") + " WHERE PATH = ?",
                                    {file.filename().string()})) > 0;
            if (named && !fs::exists(file, fileError)) {
                fs::rename(leftover, file, fileError);
            } else {
                fs::remove(leftover, fileError);
            }
            ++settled;
        }
        return settled;
    });
}

}  // namespace dmsim
