#include "cli/ExportCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/ReportStream.h"
#include "cli/UsageError.h"
#include "report/AppState.h"
#include "report/OutputFile.h"
#include "report/RunOutcomeText.h"
#include "scene/GltfWriter.h"
#include "scene/ObjWriter.h"
#include "scene/Scene.h"
#include "support/ShownText.h"

namespace {

constexpr std::string_view kProgram = "strata-export";

struct ExportRequest {
    std::string Format; // empty: from OUT's extension
    std::string Rooms;
    std::string Tiles = "8";
    std::string OutputPath;
    std::vector<std::string> Levels;
};

// The room numbers a LIST names ("0,3,5-9"), or what is wrong with it.
std::string ParseRoomList(const std::string& list, std::vector<int32_t>& rooms) {
    const auto number = [](std::string_view text, int32_t& value) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        return ec == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 32767;
    };
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item(list.data() + start, comma - start);
        const size_t dash = item.find('-');
        int32_t first = 0, last = 0;
        const bool good = dash == std::string_view::npos
                              ? number(item, first) && number(item, last)
                              : number(item.substr(0, dash), first) && number(item.substr(dash + 1), last);
        if (!good || last < first)
            return Quoted(item) + " is not a room number (0 to 32767) or a range of them (3-7)";
        for (int32_t n = first; n <= last; ++n)
            if (std::find(rooms.begin(), rooms.end(), n) == rooms.end())
                rooms.push_back(n);
        if (comma == list.size())
            return "";
        start = comma + 1;
    }
}

std::string PlainParseError(const CLI::ParseError& e, const CLI::App& app) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        const std::string option = OptionNamedIn(e.what());
        if (option == "--format")
            return "--format needs a value: glb, gltf or obj";
        if (option == "--rooms")
            return "--rooms needs a LIST: room numbers and ranges, comma-separated (0,3,5-9)";
        if (option == "--tiles")
            return "--tiles needs a value: 8 or 16";
        if (option == "--output")
            return "-o needs the FILE to write the scene into";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e))
        if (const std::string option = FirstOptionLike(app.remaining()); !option.empty())
            return option + " is not an option of strata-export";
    return e.what();
}

// The format OUT's extension names: .gltf, .obj, or glb for any other.
std::string FormatOfName(const std::filesystem::path& out) {
    std::string extension = out.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gltf")
        return "gltf";
    if (extension == ".obj")
        return "obj";
    return "glb";
}

std::string WrongCombination(ExportRequest& request, std::vector<int32_t>& rooms) {
    if (!request.Format.empty() && request.Format != "glb" && request.Format != "gltf" &&
        request.Format != "obj")
        return "--format is glb, gltf or obj, not " + Quoted(request.Format);
    if (request.Tiles != "8" && request.Tiles != "16")
        return "--tiles is 8 or 16, not " + Quoted(request.Tiles);
    if (!request.Rooms.empty())
        if (const std::string wrong = ParseRoomList(request.Rooms, rooms); !wrong.empty())
            return "--rooms: " + wrong;
    if (request.OutputPath.empty())
        return "strata-export needs -o OUT, the file to write the scene into";
    if (request.OutputPath == "-")
        return "-o needs a FILE: the scene is written into files, not to standard output";
    if (request.Levels.size() != 1)
        return request.Levels.empty() ? "strata-export needs the LEVEL to export"
                                      : "strata-export exports one LEVEL at a time";
    return "";
}

// The writers' bytes into an unnamed temporary file, copied to their file at the end.
class TemporarySink final : public scene::ByteSink {
  public:
    bool Write(std::string_view bytes) override {
        file_.Write(bytes);
        return !file_.Failed();
    }
    const ReportOutput& File() const { return file_; }

  private:
    ReportOutput file_{nullptr};
};

struct Target {
    std::filesystem::path Out;
    OutputRules Rules;
    std::filesystem::path Beside(const std::string& name) const { return Out.parent_path() / name; }
};

// Writes a file beside OUT; "" or why not, naming the file.
std::string WriteBeside(const Target& target, const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = target.Beside(name);
    if (const std::string wrong = WriteOutputFile(path, bytes, target.Rules); !wrong.empty())
        return "cannot write " + ShownText(path.string()) + ": " + wrong;
    return "";
}

std::string CopyOut(const std::filesystem::path& path, const TemporarySink& sink, const OutputRules& rules) {
    const std::string wrong = sink.File().Failed()
                                  ? "cannot hold it in a temporary file: " + sink.File().Reason()
                                  : CopyToOutputFile(path, sink.File().Source(), rules);
    return wrong.empty() ? "" : "cannot write " + ShownText(path.string()) + ": " + wrong;
}

// The file a format writes beside OUT: the .gltf's buffer, the .obj's materials (none for a .glb).
std::string SideFileOf(const std::filesystem::path& out, const std::string& format) {
    const std::string stem = out.stem().string();
    return format == "gltf" ? stem + ".bin" : format == "obj" ? stem + ".mtl" : "";
}

std::string WriteScene(const scene::ExportScene& scene, const std::string& format, const Target& target,
                       const std::string& levelName) {
    const std::string stem = target.Out.stem().string();
    const auto image = [&](const std::string& name, std::string_view png) {
        return WriteBeside(target, name, png);
    };
    TemporarySink sink;
    if (format == "glb") {
        if (std::string wrong = scene::WriteGlb(scene, {.Name = levelName}, sink); !wrong.empty())
            return wrong;
        return CopyOut(target.Out, sink, target.Rules);
    }
    if (format == "gltf") {
        std::string json;
        const scene::GltfFiles files{
            .BinName = SideFileOf(target.Out, format), .ImageStem = stem + ".", .Image = image};
        if (std::string wrong = scene::WriteGltf(scene, {.Name = levelName}, files, json, sink);
            !wrong.empty())
            return wrong;
        if (std::string wrong = CopyOut(target.Beside(files.BinName), sink, target.Rules); !wrong.empty())
            return wrong;
        if (std::string wrong = WriteOutputFile(target.Out, json, target.Rules); !wrong.empty())
            return "cannot write " + ShownText(target.Out.string()) + ": " + wrong;
        return "";
    }
    std::string mtl;
    const scene::ObjFiles files{
        .MtlName = SideFileOf(target.Out, format), .ImageStem = stem + ".", .Image = image};
    if (std::string wrong = scene::WriteObj(scene, files, sink, mtl); !wrong.empty())
        return wrong;
    if (std::string wrong = WriteBeside(target, files.MtlName, mtl); !wrong.empty())
        return wrong;
    return CopyOut(target.Out, sink, target.Rules);
}

} // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ExportRequest request;
    CLI::App app("Writes a DM2 or DM3 level's rooms as a 3D scene: glTF 2.0 (for Blender: File > Import >\n"
                 "glTF 2.0) or OBJ, with the tiles as PNG textures, in metres (1024 units = 1 m), +y up.",
                 std::string(kProgram));
    UseUsageLine(app, std::string(kExportUsage));
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer(
        "glb is one binary file; gltf writes OUT's .bin and one PNG per tile beside it (NAME.tileN.png);\n"
        "obj writes NAME.mtl and the PNGs beside it. Without --format the extension of OUT chooses\n"
        "(.gltf, .obj; glb for any other).\n"
        "Exit status: 0 written, 1 the level cannot be read or is not a level, a room asked for is\n"
        "not in it, or a file cannot be written (never the level itself), 2 the arguments are wrong.");
    app.add_option("--format", request.Format, "glb (binary glTF, the default), gltf (text glTF), or obj")
        ->type_name("gltf|glb|obj");
    app.add_option("--rooms", request.Rooms,
                   "Only these rooms: numbers and ranges, comma-separated (0,3,5-9)")
        ->type_name("LIST");
    app.add_option("--tiles", request.Tiles,
                   "The textures from the 8-bit tiles and palette (default) or the 16-bit tiles")
        ->type_name("8|16");
    app.add_option("-o,--output", request.OutputPath, "The file to write the scene into")->type_name("OUT");
    app.add_option("LEVEL", request.Levels, "The level file")->type_name("");

    try {
        ParseArguments(app, kProgram, args);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(e, out, err); // --help or --version
            return kExportWritten;
        }
        return PrintUsageError(err, kProgram, PlainParseError(e, app));
    }
    std::vector<int32_t> rooms;
    if (const std::string wrong = WrongCombination(request, rooms); !wrong.empty())
        return PrintUsageError(err, kProgram, wrong);
    const std::string& path = request.Levels.front();
    const std::string format = request.Format.empty() ? FormatOfName(request.OutputPath) : request.Format;
    const auto fail = [&](const std::string& message) {
        err << kProgram << ": " << message << '\n';
        return kExportFailed;
    };

    LevelFile level;
    if (const int16_t status = level.Open(path); status != 0) {
        RunOutcome unread;
        unread.Status = status;
        return fail("cannot read " + ShownText(path) + ": " + ReasonOfStatus(unread, path));
    }
    const Target target{.Out = request.OutputPath,
                        .Rules = {.NeverOver = IdentityOf(path), .ReplaceTheName = false, .Durable = true}};
    // OUT and the file named beside it are checked before anything is written, so a refusal leaves no
    // texture behind; the writer refuses each file again as it writes it.
    for (const std::filesystem::path& file : {target.Out, target.Beside(SideFileOf(target.Out, format))})
        if (const auto output = IdentityOf(file); output && output == target.Rules.NeverOver)
            return fail("cannot write " + ShownText(file.string()) + ": " + std::string(kIsTheLevelFile));
    if (level.FileLength() == 0)
        return fail(ShownText(path) + " is not a DM2 or DM3 level: the file is empty");
    WalkMap map;
    scene::WalkForScene(level, map);
    if (map.Ending() == WalkEnding::NotALevel)
        return fail(ShownText(path) + " is not a DM2 or DM3 level: nothing exported");
    // A walk that ended early still gives the rooms it read; it is said, as strata-report says it.
    if (WalkEnd end = map.End(); end.How != WalkEnding::Completed || end.Offset != end.FileSize)
        err << kProgram << ": " << DescribeWalkEnd(end, ShownText(path))
            << "; the rooms walked are exported\n";

    scene::SceneOptions options;
    options.Rooms = rooms;
    const scene::SceneLevel prepared = scene::PrepareScene(map, level, options);
    for (const int32_t number : rooms)
        if (prepared.Base.IndexOfRoom(number) < 0)
            return fail("room " + std::to_string(number) + " is not in " + ShownText(path));

    std::vector<int32_t> invalid;
    const scene::TileDepth depth = request.Tiles == "16" ? scene::TileDepth::Bits16 : scene::TileDepth::Bits8;
    const scene::ExportScene exported = scene::ExportOf(prepared, depth, &invalid);

    const std::string name = std::filesystem::path(path).filename().string();
    if (const std::string wrong = WriteScene(exported, format, target, name); !wrong.empty())
        return fail(wrong);
    int64_t faces = 0;
    for (const int32_t n : invalid)
        faces += n;
    if (faces > 0)
        err << kProgram << ": " << faces << (faces == 1 ? " face" : " faces")
            << " with invalid references, drawn in the warning colour\n";
    return kExportWritten;
}
