// make-demo-level OUTDIR: writes OUTDIR/demo.dm2 and OUTDIR/demo.dm3, two demo levels made by the
// level builder, and prints their paths.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>
#include <vector>

#include "report/OutputFile.h"
#include "tools/DemoLevel.h"

namespace {
constexpr const char* kUsage = "usage: make-demo-level OUTDIR\n"
                               "Writes OUTDIR/demo.dm2 and OUTDIR/demo.dm3 and prints their paths.\n";
}

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    // An option is never taken for a folder name; "./-x" names such a folder.
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << kUsage;
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "make-demo-level: cannot create " << folder.string() << ": " << ec.message() << "\n";
        return 1;
    }
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string path = (folder / (generation == 3 ? "demo.dm3" : "demo.dm2")).string();
        // Through the program's one output writer: a level is written whole or not at all, so a full disk
        // leaves no empty or cut file behind, and the reason is the system's.
        const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::DemoLevel(generation));
        const std::string reason = WriteOutputFile(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (!reason.empty()) {
            std::cerr << "make-demo-level: cannot write " << path << ": " << reason << "\n";
            return 1;
        }
        std::cout << path << "\n";
    }
    return 0;
}
