#include "gui/file_filter.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(FileFilterTest, PairsBecomeQtFilters) {
    struct Case {
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"Log files (*.log)|*.log", {"Log files (*.log)"}},
        {"Text|*.txt;*.log|All files|*.*", {"Text (*.txt *.log)", "All files (*.*)"}},
        {"", {}},
        {"Dangling description", {}},
        {"|*.ini", {"(*.ini)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
    }
}

}  // namespace
}  // namespace gui
