#pragma once
// Text helpers for names the DM compares without regard to letter case.

#include <string>
#include <string_view>

namespace dmsim {

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToUpper(std::string_view s);

}  // namespace dmsim
