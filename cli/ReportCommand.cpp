#include "cli/ReportCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <ostream>

#include "cli/OutputFile.h"
#include "engine/DetailOptions.h"
#include "engine/Fault.h"
#include "engine/LevelFile.h"
#include "engine/NumberText.h"
#include "engine/ReportRun.h"
#include "engine/TileFolder.h"

namespace {

constexpr std::string_view kProgram = "strata-report";

// Help starts with the command's own usage line instead of the generated one.
class ReportFormatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: " + std::string(kReportUsage) + "\n";
    }
};

} // namespace

std::string ParseDetailList(const std::string& text, std::vector<int>* out) {
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item(text.data() + start, comma - start);
        int index = -1;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), index);
        if (item.empty() || error != std::errc() || end != item.data() + item.size() || index < 0 ||
            index >= kDetailOptionCount)
            return "\"" + std::string(item) + "\" is not a detail index 0 to " +
                   std::to_string(kDetailOptionCount - 1);
        if (out)
            out->push_back(index);
        if (comma == text.size())
            return "";
        start = comma + 1;
    }
}

namespace {

void PrintOptionList(std::ostream& out) {
    for (int i = 0; i < kDetailOptionCount; ++i)
        out << i << ' ' << kDetailOptionTable[static_cast<size_t>(i)].Caption << '\n';
}

} // namespace

ParsedArguments ParseReportArguments(const std::vector<std::string>& args, std::ostream& out,
                                     std::ostream& err) {
    ReportRequest request;
    CLI::App app(
        "Writes the report of a DM2 or DM3 level file: every chunk with its offset, count and size,\n"
        "and the records of the detailed sections.",
        std::string(kProgram));
    app.formatter(std::make_shared<ReportFormatter>());
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer("Exit status: 0 the report is complete, 1 the level file cannot be read or the report cannot\n"
               "be written, 2 wrong arguments, 3 an overflow or the report's size limit ended the walk (the\n"
               "lines so far are written).");

    auto* all = app.add_flag("--all", request.AllDetails, "List the records of all 37 sections");
    std::vector<std::string> detailLists; // one LIST per --details given
    auto* details = app.add_option("--details", detailLists,
                                   "List the records of these sections: comma-separated indices 0 to 36")
                        ->type_name("LIST")
                        ->allow_extra_args(false) // the level path after a LIST is not a second LIST
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                        ->check(CLI::Validator(
                            [](std::string& text) { return ParseDetailList(text, nullptr); }, "", "LIST"));
    all->excludes(details);
    app.add_option("--tile-dir", request.TileDir,
                   "Export the texture tiles into DIR instead of TileCollection")
        ->type_name("DIR");
    app.add_option("-o,--output", request.OutputPath, "Write the report to FILE instead of standard output")
        ->type_name("FILE");
    app.add_flag("--list-options", request.ListOptions, "Print the 37 detail options as index and caption");
    app.add_option("LEVEL_FILE", request.LevelPath, "The level file to report on")->type_name("");

    std::vector<const char*> argv{kProgram.data()};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        if (!request.ListOptions && request.LevelPath.empty())
            throw CLI::RequiredError("LEVEL_FILE");
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(e, out, err); // --help or --version
            return {std::nullopt, kExitCompleted};
        }
        err << kProgram << ": " << e.what() << "\nUsage: " << kReportUsage << '\n';
        return {std::nullopt, kExitUsage};
    }
    for (const std::string& list : detailLists)
        ParseDetailList(list, &request.Details);
    if (request.ListOptions) {
        PrintOptionList(out);
        return {std::nullopt, kExitCompleted};
    }
    return {std::move(request), kExitCompleted};
}

std::string ReasonOfStatus(int16_t status, const std::string& path) {
    std::error_code ec;
    switch (status) {
    case kStatusEmptyOrMissing:
        return std::filesystem::exists(path, ec) ? "the file is empty" : "no such file";
    case kStatusPathNotFound:
        return "no such folder";
    case kStatusPermissionDenied:
        return "permission denied";
    case kStatusPathAccessError:
        return std::filesystem::is_directory(path, ec) ? "is a folder" : "not a regular file";
    default:
        return "status " + std::to_string(status);
    }
}

int RunReportRequest(const ReportRequest& request, AppState& state, std::ostream& out, std::ostream& err) {
    SetAllDetails(state.DetailOptions, request.AllDetails);
    for (int index : request.Details)
        state.DetailOptions.Set(index, true);
    if (!request.TileDir.empty())
        state.TileFolderOverride = request.TileDir;

    const int16_t status = ReportLevelFile(state, request.LevelPath);
    const RunOutcome& run = state.LastRun;
    if (run.Ended == RunOutcome::Kind::OpenFailed) {
        err << kProgram << ": cannot read " << request.LevelPath << ": "
            << ReasonOfStatus(status, request.LevelPath) << '\n';
        return kExitUnreadable;
    }

    // After a fault the lines written so far are the report; they go out like a complete one.
    const std::string& text = state.Report.Str();
    if (request.OutputPath.empty()) {
        out << text;
        out.flush();
        if (!out) {
            err << kProgram << ": cannot write the report to standard output\n";
            return kExitUnreadable;
        }
    } else if (const std::string reason = WriteWholeFile(request.OutputPath, text); !reason.empty()) {
        err << kProgram << ": cannot write " << request.OutputPath << ": " << reason << '\n';
        return kExitUnreadable;
    }

    if (run.Ended == RunOutcome::Kind::Faulted) {
        const std::string what = run.Status == kOverflowFault      ? "an overflow"
                                 : run.Status == kReportLimitFault ? "the report's size limit"
                                                                   : "fault " + std::to_string(run.Status);
        err << kProgram << ": " << what << " ended the walk at offset 0x" << Hex(run.StopOffset) << " ("
            << run.StopOffset << ") of " << request.LevelPath << '\n';
        return kExitOverflow;
    }
    return kExitCompleted;
}

int RunReportCommand(const std::vector<std::string>& args, const std::filesystem::path& programFolder,
                     std::ostream& out, std::ostream& err) {
    ParsedArguments parsed = ParseReportArguments(args, out, err);
    if (!parsed.Request)
        return parsed.Exit;
    AppState state;
    state.ProgramFolder = programFolder;
    state.TileFolderOverride = FallbackTileFolder(programFolder);
    return RunReportRequest(*parsed.Request, state, out, err);
}
