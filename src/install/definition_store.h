#pragma once
// Keeps the trigger definition of the setup window from one opening to the
// next: in the source library's settings table KEST_SETTINGS (ten rows of
// the section TRIGGER_DEFINITION) or in the user's settings, section
// "Setup". Loading prefers the table; saving writes the table unless the
// library has none or the definition is uncommitted.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "install/trigger_definition.h"

namespace core {
class Program;
}
namespace forms {
class DorvaneLibSetup;
}

namespace install {

// The source library stored for the window: the main window's own, with
// its source list's text as the default.
std::string StoredSourceLibrary(core::Program& p);

// Connects the stored source library; an empty name keeps the connection.
// False, after the error box, when it cannot be connected.
bool ConnectStoredSource(core::Program& p);

// Fills the window's controls from the connected library's table, or from
// the user's settings when it has no definition there.
void LoadDefinition(core::Program& p, forms::DorvaneLibSetup& w);

// Saves what the controls show. Connects the source library (which stays
// connected). Nothing is saved without a source library.
void SaveDefinition(core::Program& p, forms::DorvaneLibSetup& w, bool uncommitted);

// The definition rows a settings table held before a keeping, as they
// were (column texts as SQL literals).
struct StoredDefinition {
    bool table = false;  // the library has a settings table
    struct Row {
        std::string masterKey, subKey, keyType, text, number;
    };
    std::vector<Row> rows;
};

// Keeps what the controls show in the connected library's settings table
// before a trigger is made from it, so that the definition the window shows
// next is the trigger's: the rows it replaced, as one unit. Nothing when
// the table could not be read or written; it then holds its rows as they
// were. A library without the table keeps nothing (the closing saves the
// definition to the user's settings).
std::optional<StoredDefinition> KeepDefinition(core::Program& p, forms::DorvaneLibSetup& w);

// Puts the rows a keeping replaced back, when the trigger made before
// stays in force; false when the table refused them.
bool PutBackDefinition(core::Program& p, const StoredDefinition& previous);

// The characters the settings table keeps of an item's text.
inline constexpr size_t kKeptTextLength = 2000;

struct OverlongItem {
    std::string title;  // "Group list", ...; a list box by its name
    size_t length = 0;  // characters, as the table would hold them
};

// The first item of the definition the controls show that is longer than
// the settings table keeps.
std::optional<OverlongItem> OverlongItemOf(forms::DorvaneLibSetup& w);

// The definition the controls show, as the trigger is built from it.
TriggerDefinition DefinitionOf(forms::DorvaneLibSetup& w);

}  // namespace install
