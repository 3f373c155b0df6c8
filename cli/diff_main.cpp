// strata-diff: the differences of two level files, by structure and value.
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/DiffCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunDiffCommand(args, std::cout, std::cerr, STDOUT_FILENO);
}
