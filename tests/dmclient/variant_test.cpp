#include "dmclient/variant.h"

#include <gtest/gtest.h>

using dm::Variant;

namespace {

struct Conversion {
    const char* label;
    Variant value;
    std::string text;
    double number;
    std::string whole;  // "#0"
    bool truth;
};
void PrintTo(const Conversion& c, std::ostream* os) { *os << c.label; }

class VariantConversion : public testing::TestWithParam<Conversion> {};

TEST_P(VariantConversion, ReadsAsTextNumberAndWholeNumber) {
    const auto& c = GetParam();
    EXPECT_EQ(c.value.ToText(), c.text);
    EXPECT_DOUBLE_EQ(c.value.ToDouble(), c.number);
    EXPECT_EQ(c.value.FormatWhole(), c.whole);
    EXPECT_EQ(c.value.ToBool(), c.truth);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, VariantConversion,
    testing::Values(
        Conversion{"empty", Variant(), "", 0, "0", false},
        Conversion{"null", Variant::Null(), "", 0, "0", false},
        Conversion{"true", Variant(true), "True", -1, "-1", true},
        Conversion{"false", Variant(false), "False", 0, "0", false},
        Conversion{"int", Variant(int32_t{42}), "42", 42, "42", true},
        Conversion{"negative", Variant(int32_t{-7}), "-7", -7, "-7", true},
        Conversion{"double", Variant(2.5), "2.5", 2.5, "3", true},
        Conversion{"negative half", Variant(-2.5), "-2.5", -2.5, "-3", true},
        Conversion{"whole double", Variant(3.0), "3", 3, "3", true},
        Conversion{"leading number", Variant("12 seconds"), "12 seconds", 12, "12", true},
        Conversion{"version", Variant("13.0.5026.0"), "13.0.5026.0", 13, "13", true},
        Conversion{"no number", Variant("abc"), "abc", 0, "0", false},
        Conversion{"blank text", Variant(""), "", 0, "0", false},
        Conversion{"signed text", Variant(" -3"), " -3", -3, "-3", true},
        Conversion{"true text", Variant("True"), "True", -1, "-1", true}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (auto& ch : name) {
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

TEST(Variant, KeepsNullApartFromEmptyAndBooleansApartFromNumbers) {
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_FALSE(Variant::Null().IsEmpty());
    EXPECT_FALSE(Variant("").IsNull());
    EXPECT_TRUE(Variant(true).IsBooleanTrue());
    EXPECT_FALSE(Variant(int32_t{-1}).IsBooleanTrue());
    EXPECT_FALSE(Variant("True").IsBooleanTrue());
    EXPECT_TRUE(Variant(false).IsBooleanFalse());
    EXPECT_FALSE(Variant().IsBooleanFalse());
    EXPECT_FALSE(Variant(int32_t{0}) == Variant(false));
}

TEST(Variant, ToLongRoundsAndClamps) {
    EXPECT_EQ(Variant(1.5).ToLong(), 2);
    EXPECT_EQ(Variant("99999999999").ToLong(), 2147483647);
    EXPECT_EQ(Variant(true).ToLong(), -1);
}

TEST(LeadingNumber, TakesDigitsWithOneDecimalPoint) {
    EXPECT_DOUBLE_EQ(dm::LeadingNumber("10.50.6000.34"), 10.5);
    EXPECT_DOUBLE_EQ(dm::LeadingNumber("  9:30"), 9);
    EXPECT_DOUBLE_EQ(dm::LeadingNumber("-"), 0);
    EXPECT_DOUBLE_EQ(dm::LeadingNumber(".5x"), 0.5);
}

}  // namespace
