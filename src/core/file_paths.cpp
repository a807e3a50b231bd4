#include "core/file_paths.h"

#include <system_error>

namespace fs = std::filesystem;

namespace core {

fs::path NativePath(const std::string& path) {
    std::string native = path;
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return fs::path(native);
}

bool IsNormalFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    const fs::path p = NativePath(path);
    const std::string name = p.filename().string();
    return fs::is_regular_file(p, ec) && !(name.size() > 1 && name[0] == '.');
}

bool IsAnyFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(NativePath(path), ec);
}

bool EntryExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::exists(fs::symlink_status(NativePath(path), ec));
}

}  // namespace core
