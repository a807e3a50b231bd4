#pragma once
// Text comparison as a case-insensitive, accent-sensitive server collation
// does it: letter case does not count (beyond ASCII too: "é" equals "É"),
// an accented letter sorts just after its plain letter, and trailing blanks
// count for nothing. Texts are UTF-8.

#include <string>
#include <string_view>

namespace dmsim {

// <0, 0, >0. With caseInsensitive false only the trailing blanks are
// ignored.
int CompareText(std::string_view a, std::string_view b, bool caseInsensitive);

std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);

// 1-based character position of needle in haystack from the character
// position start on (below 1 counts as 1); 0 when it is not there.
long long FindText(std::string_view needle, std::string_view haystack, long long start, bool caseInsensitive);

// Every occurrence of from in text replaced by to, found as FindText finds
// it.
std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to, bool caseInsensitive);

// LIKE with "%", "_" and an optional escape character; trailing blanks of
// the value do not count, those of the pattern do.
bool LikeMatch(std::string_view pattern, std::string_view value, bool caseInsensitive, int escape = -1);

// Number of characters.
size_t CharacterCount(std::string_view text);
// The first count characters.
std::string FirstCharacters(std::string_view text, size_t count);

}  // namespace dmsim
