#pragma once
// The commands of the dmsite tool, callable from tests.

#include <ostream>
#include <string>
#include <vector>

namespace dmsim {

// Runs one command line (without the program name). Exit status: 0 done,
// 1 the command failed (SQL or site error, on err), 2 bad arguments.
int RunSiteTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dmsim
