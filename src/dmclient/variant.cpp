#include "dmclient/variant.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace dm {

namespace {

std::string ShortestDouble(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, d);
        if (std::strtod(buf, nullptr) == d) break;
    }
    return buf;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace

double LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    double scale = 0;  // 0 while before the decimal point
    bool any = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
        } else if (c == '.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    if (!any) return 0;
    return negative ? -value : value;
}

std::string FormatWhole(double value) {
    if (std::isnan(value)) return "0";
    double r = std::round(value);  // half away from zero
    if (r == 0) return "0";        // no "-0"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", r);
    return buf;
}

bool Variant::IsBooleanTrue() const {
    return kind() == Kind::Boolean && std::get<bool>(v_);
}

bool Variant::IsBooleanFalse() const {
    return kind() == Kind::Boolean && !std::get<bool>(v_);
}

bool Variant::IsBlank() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return true;
        case Kind::Text: return std::get<std::string>(v_).empty();
        default: return false;
    }
}

std::string Variant::ToText() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return "";
        case Kind::Boolean: return std::get<bool>(v_) ? "True" : "False";
        case Kind::Integer: return std::to_string(std::get<int32_t>(v_));
        case Kind::Double: return ShortestDouble(std::get<double>(v_));
        case Kind::Text: return std::get<std::string>(v_);
    }
    return "";
}

double Variant::ToDouble() const {
    switch (kind()) {
        case Kind::Empty:
        case Kind::Null: return 0;
        case Kind::Boolean: return std::get<bool>(v_) ? -1 : 0;
        case Kind::Integer: return std::get<int32_t>(v_);
        case Kind::Double: return std::get<double>(v_);
        case Kind::Text: {
            auto t = Trim(std::get<std::string>(v_));
            if (EqualsIgnoreCase(t, "True")) return -1;
            return LeadingNumber(t);
        }
    }
    return 0;
}

int32_t Variant::ToLong() const {
    if (kind() == Kind::Integer) return std::get<int32_t>(v_);
    double r = std::round(ToDouble());
    if (std::isnan(r)) return 0;
    r = std::clamp(r, static_cast<double>(std::numeric_limits<int32_t>::min()),
                   static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(r);
}

bool Variant::ToBool() const {
    if (kind() == Kind::Boolean) return std::get<bool>(v_);
    return ToDouble() != 0;
}

std::string Variant::FormatWhole() const { return dm::FormatWhole(ToDouble()); }

bool Variant::operator==(const Variant& other) const { return v_ == other.v_; }

}  // namespace dm
