#pragma once
// Steps that "&Build Library", "&Make Triggers" and "&Remove a Library"
// share: a statement whose failure the step must know of, the catalogue's
// word on a trigger, and dropping the queue triggers before their table
// goes (a trigger whose table is missing makes every profile save fail).

#include <cstdint>
#include <optional>
#include <string>

namespace core {
class Program;
}

namespace install {

// Runs the statement and releases its results: true when the database
// accepted it.
bool RunStep(core::Program& p, const std::string& statement);

// Whether the connected library's catalogue lists the trigger; nothing
// when the catalogue could not be read.
std::optional<bool> TriggerListed(core::Program& p, const std::string& triggerName);

// The rows of the connected library's queue table, whatever their state;
// nothing when the database refused the count (which is no count of 0).
std::optional<int32_t> QueueRowCount(core::Program& p);

// Drops every queue trigger of the connected library, stopping at the
// first one that still stands afterwards: its name, or "" when none is
// left. A drop refused for a trigger that is not there is no failure.
std::string DropQueueTriggers(core::Program& p);

}  // namespace install
