// strata-export: a level's rooms as glTF 2.0 or OBJ, for Blender and other 3D programs.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ExportCommand.h"

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunExportCommand(args, std::cout, std::cerr);
}
