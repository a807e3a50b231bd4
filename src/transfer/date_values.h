#pragma once
// Date values as the transfer reads them from one library and writes them
// into another: the SQL object hands dates back as text, the statements take
// them as "DD-MMM-YYYY HH:MM:SS" on Oracle and elsewhere in the form every
// language of the server reads alike.

#include <cstdint>
#include <optional>
#include <string>

#include "dmclient/variant.h"

namespace transfer {

// The value as "DD-MMM-YYYY HH:MM:SS"; "" for an empty or null value; a text
// that is no date stays as it is.
std::string StatementDate(const dm::Variant& value);

// Minute boundaries from one date to another as a calendar counts them
// (10:00:59 to 10:01:00 is 1). A value that is no date counts as the zero
// date, 30 December 1899.
// A date text as the dialect takes it back: TO_DATE on Oracle, TRY_CAST
// elsewhere (of the form every language of the server reads alike); its
// apostrophes doubled. NULL for an empty text.
std::string SqlDate(bool oracle, const std::string& text);

int64_t MinuteBoundaries(const dm::Variant& from, const dm::Variant& to);

}  // namespace transfer
