#pragma once
// The options the configuration keeps between runs, in one table: for each
// its key, the control that holds it, the stores, the written form, the
// defaults and its place in the restore. The save walks the table in its
// order; the restore walks it by restore rank. An option added here is
// saved and restored alike.

#include <string>
#include <vector>

namespace forms {
class Dorvane;
class CheckBox;
class TextBox;
class OptionButton;
}  // namespace forms

namespace config {

enum class Kind {
    Check,
    Choice,     // one of Copy, Transfer, Move; the restore selects the first stored as chosen
    Number,
    Time,
    PauseDays,  // the weekday nodes of the pause window, each a mark of its own
};

// How a number option is written to the registry.
enum class NumberForm {
    Text,         // the text unchanged
    WholeIfNumeric,  // "#0" when the text reads as a number, else unchanged
    LeadingWhole,    // the leading number, "#0"
};

// One option of the body (the options both stores may hold).
struct BodyOption {
    const char* key;        // as the save writes it to the registry
    const char* readKey;    // as the restore reads it and the table holds it
    Kind kind;
    int restoreRank;        // the restore reads the options in this order
    bool inTable;           // false: registry only
    const char* registryDefault;
    const char* tableDefault;
    NumberForm numberForm = NumberForm::Text;
    forms::CheckBox* (*check)(forms::Dorvane&) = nullptr;
    forms::TextBox* (*text)(forms::Dorvane&) = nullptr;
    forms::OptionButton* (*choice)(forms::Dorvane&) = nullptr;
};

// The options in the order the save writes them, the weekday nodes last.
const std::vector<BodyOption>& BodyOptions();
// The same options in the order the restore reads them; the choice comes
// last.
const std::vector<const BodyOption*>& RestoreSequence();

// Registry application name and sections.
inline constexpr const char* kSectionGeneral = "General";
inline constexpr const char* kSectionPauseTimer = "PauseTimer";

// Written forms and applied values.
std::string WrittenText(const BodyOption& option, forms::Dorvane& window);
// Puts a stored text into the option's control as its kind says.
void ApplyStored(const BodyOption& option, forms::Dorvane& window, const std::string& stored);

// "#0" of the leading number; a text without one gives "0".
std::string WholeNumberText(const std::string& text);
// Whether the whole text, blanks aside, reads as a number.
bool IsNumeric(const std::string& text);
// "HH:MM" for a text that reads as a time of day, otherwise the text.
std::string TimeText(const std::string& text);
// The check-box value a stored text gives: its leading number rounded with
// halves to the even neighbour.
long CheckValueOf(const std::string& text);
// A mark is set when the leading number is not 0.
bool MarkOf(const std::string& text);
inline std::string MarkText(bool marked) { return marked ? "-1" : "0"; }

}  // namespace config
