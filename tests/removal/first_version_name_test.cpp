#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "removal/first_version_name.h"

namespace {

struct NameCase {
    const char* name;
    std::optional<std::string> expected;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class FirstVersionNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FirstVersionNameTest, GivesTheVersionOneName) {
    EXPECT_EQ(removal::FirstVersionFileName(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FirstVersionNameTest,
    ::testing::Values(NameCase{"A4F02!.DOC", "A4F01!.DOC"}, NameCase{"A4F07!.DOC", "A4F01!.DOC"},
                      NameCase{"A4F01!.DOC", "A4F01!.DOC"}, NameCase{"ABCDEF.02", "ABCDEF.01"},
                      NameCase{"REPORT.02", "REPORT.01"}, NameCase{"AB12!.DOC.X", "AB01!.DOC.X"},
                      NameCase{"K2X.DOC", "01X.DOC"}, NameCase{" A4F02! . DOC ", "A4F01!.DOC"},
                      NameCase{"NODOT02!", "NODOT01!"}, NameCase{"AB.DOC", std::nullopt},
                      NameCase{".DOC", std::nullopt}, NameCase{"", std::nullopt}));

}  // namespace
