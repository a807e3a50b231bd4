#include "dmsim/doc_storage.h"

#include <cctype>
#include <cstdio>

#include "dmsim/library_db.h"

namespace dmsim {

namespace {

constexpr size_t kMinimumCodeLength = 3;
constexpr size_t kLongestExtension = 10;

}  // namespace

std::string DocumentCode(int64_t systemId) {
    std::string code;
    uint64_t n = systemId > 0 ? static_cast<uint64_t>(systemId) : 0;
    do {
        code.insert(code.begin(), static_cast<char>('A' + n % 26));
        n /= 26;
    } while (n > 0);
    while (code.size() < kMinimumCodeLength) code.insert(code.begin(), 'A');
    return code;
}

std::string ComponentName(std::string_view code, int32_t version, char subversion, std::string_view extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", version < 0 ? 0 : version);
    std::string name = std::string(code) + digits + subversion;
    if (!extension.empty()) {
        name += '.';
        name += extension;
    }
    return name;
}

std::string DocumentFolder(const LibraryDb& db) { return db.Owner() + "/"; }

std::filesystem::path NativePath(std::string_view path) {
    std::string p(path);
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(p);
}

std::string FileNameOf(std::string_view path) {
    size_t sep = path.find_last_of("/\\");
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ExtensionOf(std::string_view fileName) {
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || dot + 1 >= fileName.size()) return "";
    std::string ext;
    for (char c : fileName.substr(dot + 1)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) return "";
        ext += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return ext.size() <= kLongestExtension ? ext : std::string();
}

}  // namespace dmsim
