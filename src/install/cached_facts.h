#pragma once
// The connected library's cached "queue table present" fact (the library
// cache's column and the connection's flag), read again after the table was
// made or removed, and whenever the setup window chooses a library: someone
// else may have made or dropped it since it was cached.

namespace core {
class Program;
}

namespace install {

// Nothing happens for a library outside the DM's library list, nor when
// the catalogue refused the look.
void RefreshQueueTableFact(core::Program& p);

}  // namespace install
