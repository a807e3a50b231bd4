#include "core/library_cache.h"

#include "core/text.h"
#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "core/text.h"

namespace core {

namespace {
}  // namespace

void LibraryCache::Build(const std::vector<std::string>& upperNames) {
    count_ = static_cast<int>(upperNames.size());
    rows_.assign(count_ + 1, std::vector<std::string>(kColumns));
    for (int i = 0; i < count_; ++i) rows_[i + 1][kName] = Upper(upperNames[i]);
}

int LibraryCache::FindRow(const std::string& name) const {
    std::string upper = Upper(name);
    for (int i = 1; i <= count_; ++i) {
        if (rows_[i][kName] == upper) return i;
    }
    return 0;
}

std::string& LibraryCache::Cell(int row, int column) {
    if (row < 0 || row > count_ || column < 0 || column >= kColumns) {
        throw std::out_of_range("library cache cell");
    }
    return rows_[row][column];
}

const std::string& LibraryCache::Cell(int row, int column) const {
    return const_cast<LibraryCache*>(this)->Cell(row, column);
}

}  // namespace core
