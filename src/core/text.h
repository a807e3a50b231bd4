#pragma once
// Small text helpers shared by the whole program.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace core {

inline std::string Upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

// Leading and trailing blanks (space characters only) removed.
inline std::string Trim(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return "";
    size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

// Leading and trailing white space of any kind removed.
inline std::string TrimSpace(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

// The characters of a UTF-8 text, as a server counts them in a column's
// width.
inline size_t Utf8Characters(std::string_view text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// At most the first `bytes` bytes of a UTF-8 text, cut between two
// characters, never inside one.
inline std::string Utf8Prefix(const std::string& text, size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

}  // namespace core
