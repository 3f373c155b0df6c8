// make-demo-level [--broken] OUTDIR: writes OUTDIR/demo.dm2 and OUTDIR/demo.dm3, two demo levels made by
// the level builder, and prints their paths. The demo levels check clean; with --broken they are written
// as OUTDIR/broken.dm2 and OUTDIR/broken.dm3 with a handful of typical mistakes for the checker to find.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>
#include <vector>

#include "report/OutputFile.h"
#include "tools/DemoLevel.h"

namespace {
constexpr const char* kUsage =
    "usage: make-demo-level OUTDIR\n"
    "       make-demo-level --broken OUTDIR\n"
    "Writes OUTDIR/demo.dm2 and OUTDIR/demo.dm3 and prints their paths.\n"
    "With --broken, writes OUTDIR/broken.dm2 and OUTDIR/broken.dm3 instead: the demo\n"
    "levels with a handful of typical mistakes (a door to a room that is not there,\n"
    "a face whose texture is past the list, an item in a missing room, ...).\n";
}

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    const bool broken = argc == 3 && std::strcmp(argv[1], "--broken") == 0;
    const char* out = argv[argc - 1];
    // An option is never taken for a folder name; "./-x" names such a folder.
    if ((argc != 2 && !broken) || out[0] == '-') {
        std::cerr << kUsage;
        return 2;
    }
    const std::filesystem::path folder = out;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "make-demo-level: cannot create " << folder.string() << ": " << ec.message() << "\n";
        return 1;
    }
    const std::string stem = broken ? "broken" : "demo";
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string path = (folder / (stem + (generation == 3 ? ".dm3" : ".dm2"))).string();
        // Through the program's one output writer: a level is written whole or not at all, so a full disk
        // leaves no empty or cut file behind, and the reason is the system's.
        const std::vector<uint8_t> bytes = levelbuilder::Build(
            broken ? levelbuilder::BrokenDemoLevel(generation) : levelbuilder::DemoLevel(generation));
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
