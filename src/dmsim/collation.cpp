#include "dmsim/collation.h"

#include <cstdint>
#include <vector>

namespace dmsim {

namespace {

using Chars = std::vector<uint32_t>;

// UTF-8 to code points; a byte that starts no valid sequence stands for
// itself.
Chars Decode(std::string_view s) {
    Chars out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 99;
        if (n == 0 || n == 99 || i + n >= s.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        uint32_t cp = c & (0x3F >> n);
        bool ok = true;
        for (size_t k = 1; k <= n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok) {
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += n + 1;
    }
    return out;
}

void Encode(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Encode(const Chars& chars, size_t begin, size_t end) {
    std::string out;
    for (size_t k = begin; k < end; ++k) Encode(chars[k], out);
    return out;
}

// Latin Extended-A pairs: the capital is even from 0100 to 0137 and from
// 014A to 0177, odd from 0139 to 0148 and from 0179 to 017E.
bool CapitalInExtendedA(uint32_t c) {
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1;
    return false;
}
bool SmallInExtendedA(uint32_t c) {
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0;
    return false;
}

uint32_t Lower(uint32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (CapitalInExtendedA(c)) return c + 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

uint32_t Upper(uint32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (SmallInExtendedA(c)) return c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    return c;
}

// The plain letter of a small accented Latin-1 letter.
uint32_t Plain(uint32_t c) {
    if (c < 0xE0 || c > 0xFF) return c;
    static const char kPlain[] = "aaaaaaaceeeeiiiidnooooo/ouuuuyty";
    const char p = kPlain[c - 0xE0];
    if (p == '/' || c == 0xE6 || c == 0xF0 || c == 0xFE) return c;
    return static_cast<uint32_t>(p);
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::string_view TrimTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void TrimTrailingBlanks(Chars& c) {
    while (!c.empty() && c.back() == ' ') c.pop_back();
}

template <typename Key>
int CompareBy(const Chars& a, const Chars& b, Key key) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t k = 0; k < n; ++k) {
        const uint32_t x = key(a[k]), y = key(b[k]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

Chars Folded(std::string_view s, bool caseInsensitive) {
    Chars c = Decode(s);
    if (caseInsensitive) {
        for (auto& x : c) x = Lower(x);
    }
    return c;
}

bool Match(const Chars& p, size_t pi, const Chars& v, size_t vi, int escape) {
    while (pi < p.size()) {
        const uint32_t c = p[pi];
        if (escape >= 0 && c == static_cast<uint32_t>(escape) && pi + 1 < p.size()) {
            if (vi >= v.size() || v[vi] != p[pi + 1]) return false;
            pi += 2;
            ++vi;
            continue;
        }
        if (c == '%') {
            while (pi < p.size() && p[pi] == '%') ++pi;
            if (pi == p.size()) return true;
            for (size_t k = vi; k <= v.size(); ++k) {
                if (Match(p, pi, v, k, escape)) return true;
            }
            return false;
        }
        if (vi >= v.size()) return false;
        if (c != '_' && c != v[vi]) return false;
        ++pi;
        ++vi;
    }
    return vi == v.size();
}

}  // namespace

int CompareText(std::string_view a, std::string_view b, bool caseInsensitive) {
    a = TrimTrailingBlanks(a);
    b = TrimTrailingBlanks(b);
    if (IsAscii(a) && IsAscii(b)) {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t k = 0; k < n; ++k) {
            uint32_t x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
            if (caseInsensitive) {
                x = Lower(x);
                y = Lower(y);
            }
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    }
    const Chars x = Folded(a, caseInsensitive), y = Folded(b, caseInsensitive);
    if (!caseInsensitive) return CompareBy(x, y, [](uint32_t c) { return c; });
    if (int primary = CompareBy(x, y, Plain)) return primary;
    return CompareBy(x, y, [](uint32_t c) { return c; });
}

std::string UpperText(std::string_view text) {
    std::string out;
    for (uint32_t c : Decode(text)) Encode(Upper(c), out);
    return out;
}

std::string LowerText(std::string_view text) {
    std::string out;
    for (uint32_t c : Decode(text)) Encode(Lower(c), out);
    return out;
}

long long FindText(std::string_view needle, std::string_view haystack, long long start, bool caseInsensitive) {
    const Chars n = Folded(needle, caseInsensitive), h = Folded(haystack, caseInsensitive);
    if (n.empty()) return 0;
    size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
    for (size_t k = from; k + n.size() <= h.size(); ++k) {
        bool same = true;
        for (size_t j = 0; j < n.size() && same; ++j) same = h[k + j] == n[j];
        if (same) return static_cast<long long>(k) + 1;
    }
    return 0;
}

std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to, bool caseInsensitive) {
    const Chars original = Decode(text);
    const Chars t = Folded(text, caseInsensitive), f = Folded(from, caseInsensitive);
    if (f.empty()) return std::string(text);
    std::string out;
    size_t k = 0, copied = 0;
    while (k + f.size() <= t.size()) {
        bool same = true;
        for (size_t j = 0; j < f.size() && same; ++j) same = t[k + j] == f[j];
        if (!same) {
            ++k;
            continue;
        }
        out += Encode(original, copied, k);
        out += to;
        k += f.size();
        copied = k;
    }
    out += Encode(original, copied, original.size());
    return out;
}

bool LikeMatch(std::string_view pattern, std::string_view value, bool caseInsensitive, int escape) {
    Chars p = Folded(pattern, caseInsensitive);
    Chars v = Folded(value, caseInsensitive);
    TrimTrailingBlanks(v);
    if (escape >= 0 && caseInsensitive) escape = static_cast<int>(Lower(static_cast<uint32_t>(escape)));
    return Match(p, 0, v, 0, escape);
}

size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string FirstCharacters(std::string_view text, size_t count) {
    const Chars c = Decode(text);
    if (c.size() <= count) return std::string(text);
    return Encode(c, 0, count);
}

}  // namespace dmsim
