#include "removal/first_version_name.h"

#include "core/text.h"

namespace removal {

std::optional<std::string> FirstVersionFileName(const std::string& fileName) {
    std::string base;
    std::string extension;
    const size_t dot = fileName.find('.');
    if (dot == std::string::npos) {
        base = core::Trim(fileName);
    } else {
        base = core::Trim(fileName.substr(0, dot));
        extension = core::Trim(fileName.substr(dot + 1));
    }
    if (extension == "02") {
        extension = "01";
    } else {
        if (base.size() < 3) return std::nullopt;
        base = core::Trim(base.substr(0, base.size() - 3) + "01" + base.back());
    }
    return extension.empty() ? base : base + "." + extension;
}

}  // namespace removal
