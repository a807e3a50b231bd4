// dmsite: creates, inspects, copies and relocates emulated DM sites.

#include <iostream>
#include <string>
#include <vector>

#include "dmsim/site_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return dmsim::RunSiteTool(args, std::cout, std::cerr);
}
