#pragma once
// The connected library's cached "queue table present" fact (the library
// cache's column and the connection's flag), read again after the table was
// made or removed.

namespace core {
class Program;
}

namespace install {

// Nothing happens for a library outside the DM's library list.
void RefreshQueueTableFact(core::Program& p);

}  // namespace install
