#pragma once
// strata-export: a level's rooms as a 3D scene for other programs: glTF 2.0 (binary .glb, or .gltf with
// its .bin and PNG textures beside it) or OBJ with MTL and PNG textures. Metres (1024 file units = 1 m),
// +y up. Every file goes through the one output writer and never over the level.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kExportUsage =
    "strata-export [--format gltf|glb|obj] [--rooms LIST] [--tiles 8|16] -o OUT LEVEL";

enum ExportExit : int {
    kExportWritten = 0, // every file was written
    kExportFailed = 1,  // the level could not be read or is not a level, a room asked for is not in it, or
                        // a file could not be written (the level itself is never written over)
    kExportWrongArguments = 2, // the arguments were wrong
};

// args excludes the program name. --help and --version print to out and exit 0; the warnings (faces
// with invalid references) and the trouble go to err.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
