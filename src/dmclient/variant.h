#pragma once
// The value type that crosses the DM client boundary: the kinds a DM object
// hands back (Empty, Null, Boolean, whole number, double, text) with the
// conversions the program relies on.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace dm {

class Variant {
public:
    enum class Kind { Empty, Null, Boolean, Integer, Double, Text };

    Variant() = default;
    Variant(bool b) : v_(b) {}
    Variant(int32_t i) : v_(i) {}
    Variant(double d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}

    static Variant Null() {
        Variant v;
        v.v_ = NullTag{};
        return v;
    }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }
    bool IsNull() const { return kind() == Kind::Null; }
    // True only for a real Boolean True; the program's stricter checks use it.
    bool IsBooleanTrue() const;
    // True only for a real Boolean False.
    bool IsBooleanFalse() const;
    // Empty, Null or an empty text.
    bool IsBlank() const;

    // Text form: Empty and Null read as "", True/False as "True"/"False",
    // whole numbers as plain digits, doubles in their shortest form.
    std::string ToText() const;
    // Numeric reading: Boolean True is -1; text gives its leading number;
    // Empty and Null give 0.
    double ToDouble() const;
    // Rounded to a whole number (half away from zero), clamped to 32 bits.
    int32_t ToLong() const;
    // Any non-zero number, or a text whose leading number is non-zero, or
    // the text "True" (any case).
    bool ToBool() const;
    // The "#0" format: a whole number, rounded; True gives "-1".
    std::string FormatWhole() const;

    bool operator==(const Variant& other) const;

private:
    struct EmptyTag {
        bool operator==(const EmptyTag&) const = default;
    };
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    std::variant<EmptyTag, NullTag, bool, int32_t, double, std::string> v_;
};

// The number at the start of a text: optional blanks, an optional sign,
// digits with at most one decimal point. "13.0.5026.0" gives 13, "12 seconds"
// gives 12, "" and "abc" give 0.
double LeadingNumber(std::string_view text);

// "#0": a whole number, rounded half away from zero.
std::string FormatWhole(double value);

}  // namespace dm
