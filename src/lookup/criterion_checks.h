#pragma once
// The checks behind the setup window's six criterion fields: an entry typed
// by hand is looked up in its table of the connected library, and the rows
// chosen in the lookup dialog become the field's text. The window writes the
// text back and, for a refused entry, beeps, puts the old text back and
// keeps the focus.

#include <optional>
#include <string>
#include <vector>

namespace core {
class Program;
}

namespace lookup {

class KestLookupForm;

// The fields whose entries are ids of one lookup table.
enum class CriterionField { Groups, Typist, Author, DocTypes, Apps };

enum class EntryVerdict {
    NotChecked,  // empty, unchanged since the field got the focus, or a list
    Accepted,
    Refused,     // unknown, or the library could not say
};

struct EntryCheck {
    std::string text;  // the entry trimmed, as the field shows it afterwards
    EntryVerdict verdict = EntryVerdict::NotChecked;
};

// undoText: the field's text, trimmed, when it got the focus.
EntryCheck CheckCriterionEntry(core::Program& program, CriterionField field, const std::string& typed,
                               const std::string& undoText);
// A bare matter id, or client id, ":" and matter id.
EntryCheck CheckMatterEntry(core::Program& program, const std::string& typed, const std::string& undoText);

// The lookup dialog's results (items 1 on) as the field's text: the
// non-empty items joined with ", ".
std::string JoinLookupResults(const std::vector<std::string>& results);
// The Matter field's text from the lookup's item keys ("SYSTEM_ID:n"): each
// matter as client id, ":", matter id; a matter without a client is left out.
std::string MatterEntriesFromKeys(core::Program& program, const std::vector<std::string>& keys);

// The ".." buttons: the dialog shows the table's rows of the connected
// library, several at a time; the field's new text is made of the chosen
// rows' texts, nothing when no row was chosen (the field keeps its text).
std::optional<std::string> ChooseCriterionEntries(KestLookupForm& dialog, const std::string& table);
// The same for the Matter field, from the chosen matters' keys.
std::optional<std::string> ChooseMatterEntries(core::Program& program, KestLookupForm& dialog);

}  // namespace lookup
