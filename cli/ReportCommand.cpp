#include "cli/ReportCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <ostream>

#include <cerrno>
#include <memory>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "cli/ReportStream.h"
#include "cli/StandardInput.h"
#include "cli/SummaryCommand.h"
#include "cli/UsageError.h"
#include "format/DetailOptions.h"
#include "format/Fault.h"
#include "format/LevelFile.h"
#include "report/JsonReport.h"
#include "report/OutputFile.h"
#include "report/ReportRun.h"
#include "report/RunOutcomeText.h"
#include "report/StreamedReport.h"
#include "report/TileFolder.h"
#include "support/ShownText.h"

namespace {

constexpr std::string_view kProgram = "strata-report";

// Help starts with the command's own usage line instead of the generated one.
void PrintOptionList(std::ostream& out) {
    for (int i = 0; i < kDetailOptionCount; ++i)
        out << i << ' ' << kDetailOptionTable[static_cast<size_t>(i)].Caption << '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// One detail index of a LIST, blanks around it allowed.
bool ParseIndex(std::string_view text, int& index) {
    text = Trimmed(text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && index >= 0 &&
           index < kDetailOptionCount;
}

// CLI11's parse errors as plain sentences: an option without its value, an unknown option, an argument
// too many. What the values hold is checked after the parse, in WrongCombination.
std::string PlainParseError(const CLI::ParseError& e, const CLI::App& app, const ReportRequest& request,
                            const std::vector<std::string>& detailLists) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        const std::string option = OptionNamedIn(e.what());
        if (option == "--format")
            return "--format needs a value: text or json (csv or json for --summary)";
        if (option == "--details")
            return "--details needs a LIST: detail indices 0 to 36 and ranges of them, comma-separated "
                   "(0-5,12)";
        if (option == "--tile-dir")
            return "--tile-dir needs the DIR to export the texture tiles into";
        if (option == "--output")
            return "-o needs the FILE to write the report into";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
        const std::vector<std::string> leftOver = app.remaining();
        if (const std::string option = FirstOptionLike(leftOver); !option.empty())
            return option + " is not an option of strata-report";
        // "--details 3 4 lv.dm2": the LIST ended at the blank, and 4 became the level file.
        if (!detailLists.empty() && ParseDetailList(request.LevelPath, nullptr).empty())
            return "--details takes one LIST, its indices joined by commas as in 3,4: the " +
                   Quoted(request.LevelPath) + " after it was taken as the level file";
        if (!leftOver.empty())
            return "strata-report reports on one level file: " + Quoted(leftOver.front()) +
                   " is one too many";
    }
    return e.what();
}

// What the parse cannot see: values outside their sets, options that exclude each other, no level.
std::string WrongCombination(const ReportRequest& request, const std::vector<std::string>& detailLists) {
    if (request.Format != "text" && request.Format != "json")
        return "--format is text or json, not " + Quoted(request.Format);
    for (const std::string& list : detailLists)
        if (const std::string wrong = ParseDetailList(list, nullptr); !wrong.empty())
            return "--details: " + wrong;
    if (request.AllDetails && !detailLists.empty())
        return "--all and --details cannot be used together: --all lists every section";
    if (!request.ListOptions && request.LevelPath.empty())
        return "no LEVEL_FILE given: name the level file to report on, or - for standard input";
    return "";
}

// Standard input's level, or null after saying on err why it could not be read.
std::shared_ptr<const LevelFile> ReadLevelFromInput(std::ostream& err) {
    std::vector<uint8_t> bytes;
    if (const std::string reason = ReadWholeInput(STDIN_FILENO, bytes); !reason.empty()) {
        err << kProgram << ": cannot read -: " << reason << '\n';
        return nullptr;
    }
    return std::make_shared<const LevelFile>(LevelFile::FromBytes(std::move(bytes)));
}

} // namespace

std::string ParseDetailList(const std::string& text, std::vector<int>* out) {
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item(text.data() + start, comma - start);
        // An index, or a range of them: "0-5". A dash in front of the first digit is a minus sign.
        const std::string_view trimmed = Trimmed(item);
        const size_t dash = trimmed.find('-', 1);
        int first = -1, last = -1;
        const bool valid = dash == std::string_view::npos
                               ? ParseIndex(trimmed, first) && ParseIndex(trimmed, last)
                               : ParseIndex(trimmed.substr(0, dash), first) &&
                                     ParseIndex(trimmed.substr(dash + 1), last) && first <= last;
        if (!valid)
            return "\"" + std::string(item) + "\" is not a detail index 0 to " +
                   std::to_string(kDetailOptionCount - 1) + " or a range of them";
        for (int index = first; out && index <= last; ++index)
            out->push_back(index);
        if (comma == text.size())
            return "";
        start = comma + 1;
    }
}

ParsedArguments ParseReportArguments(const std::vector<std::string>& args, std::ostream& out,
                                     std::ostream& err) {
    ReportRequest request;
    CLI::App app(
        "Writes the report of a DM2 or DM3 level file: every chunk with its offset, count and size,\n"
        "and the records of the detailed sections. With --summary, one row per level file instead.",
        std::string(kProgram));
    UseUsageLine(app, std::string(kReportUsage) + "\n       " + std::string(kSummaryUsage));
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer("LEVEL_FILE - reads the level from standard input.\n"
               "Exit status: 0 the report is complete, 1 the level file cannot be read or an output (the\n"
               "report, a texture tile) cannot be written, 2 wrong arguments, 3 an overflow or the report's\n"
               "size limit ended the walk (the lines so far are written), 4 the report is complete but the\n"
               "file is not a DM2 or DM3 level or the walk did not end at the file's end.\n"
               "--summary: exit status 0 whenever the summary is written, 1 when it cannot be, 2 wrong\n"
               "arguments.");

    app.add_flag("--all", request.AllDetails, "List the records of all 37 sections");
    std::vector<std::string> detailLists; // one LIST per --details given
    app.add_option("--details", detailLists,
                   "List the records of these sections: indices 0 to 36, ranges, commas (0-5,12)")
        ->type_name("LIST")
        ->allow_extra_args(false) // the level path after a LIST is not a second LIST
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    auto* tileDir = app.add_option("--tile-dir", request.TileDir,
                                   "Export the texture tiles into DIR instead of TileCollection")
                        ->type_name("DIR");
    auto* output = app.add_option("-o,--output", request.OutputPath,
                                  "Write the report to FILE instead of standard output")
                       ->type_name("FILE");
    app.add_option("--format", request.Format,
                   "text (the default) or json; for --summary csv (the default) or json")
        ->type_name("FORMAT");
    app.add_flag("--list-options", request.ListOptions, "Print the 37 detail options as index and caption");
    // Taken by the summary's own parser; here for --help to show it.
    bool summary = false;
    app.add_flag("--summary", summary, "One row per level file in FILE|DIR... instead of a report");
    app.add_option("LEVEL_FILE", request.LevelPath, "The level file to report on")->type_name("");

    try {
        ParseArguments(app, kProgram, args);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(e, out, err); // --help or --version
            return {std::nullopt, kExitCompleted};
        }
        return {std::nullopt, PrintUsageError(err, kProgram, PlainParseError(e, app, request, detailLists))};
    }
    if (const std::string wrong = WrongCombination(request, detailLists); !wrong.empty())
        return {std::nullopt, PrintUsageError(err, kProgram, wrong)};
    // An empty name names nothing: it is not taken for standard output or the default folder.
    if (output->count() > 0 && request.OutputPath.empty())
        return {std::nullopt,
                PrintUsageError(err, kProgram, "-o needs a FILE, not an empty name (- is standard output)")};
    if (tileDir->count() > 0 && request.TileDir.empty())
        return {std::nullopt, PrintUsageError(err, kProgram, "--tile-dir needs a DIR, not an empty name")};
    for (const std::string& list : detailLists)
        ParseDetailList(list, &request.Details);
    if (request.OutputPath == "-")
        request.OutputPath.clear();
    if (request.ListOptions) {
        PrintOptionList(out);
        return {std::nullopt, kExitCompleted};
    }
    return {std::move(request), kExitCompleted};
}

int RunReportRequest(const ReportRequest& request, AppState& state, std::ostream& out, std::ostream& err) {
    SetAllDetails(state.DetailOptions, request.AllDetails);
    for (int index : request.Details)
        SetDetailAsTheDialogDoes(state.DetailOptions, index);
    if (!request.TileDir.empty()) {
        state.TileFolderOverride = request.TileDir;
        state.TileFolderIsFallback = false;
        if (!state.DetailOptions.On(optTextureTiles))
            err << kProgram << ": no texture tiles are exported: --tile-dir needs section 1 ("
                << kDetailOptionTable[optTextureTiles].Caption << ") detailed\n";
    }

    const bool fromInput = request.LevelPath == "-";
    // The level's identity is taken before the run, so no output can be written over it.
    const std::optional<FileIdentity> level =
        fromInput ? IdentityOf(STDIN_FILENO) : IdentityOf(request.LevelPath);
    // A standard output opened on the level (`>> level`) would take the report onto its end, as the walk
    // reads it: refused before the run, as cat refuses an input file that is its output.
    if (request.OutputPath.empty() && request.OutputDescriptor >= 0 &&
        IsTheLevel(request.OutputDescriptor, level)) {
        err << kProgram << ": cannot write the report to standard output: " << kIsTheLevelFile << '\n';
        return kExitUnreadable;
    }
    // The report goes out as it is made: to standard output, or for -o through a temporary file.
    std::unique_ptr<ReportOutput> output;
    if (!request.OutputPath.empty())
        output = std::make_unique<ReportOutput>(nullptr);
    else if (request.OutputDescriptor >= 0)
        output = std::make_unique<ReportOutput>(request.OutputDescriptor);
    else
        output = std::make_unique<ReportOutput>(&out);
    // The report goes out as the walk makes it, text or JSON; the level of standard input is read whole
    // first. Nothing after the walk needs the rooms' spans, so the map drops them as it goes.
    const bool json = request.Format == "json";
    std::shared_ptr<const LevelFile> input;
    if (fromInput && !(input = ReadLevelFromInput(err)))
        return kExitUnreadable;
    state.Map.Watch(nullptr, ClosedRooms::Dropped);
    if (json)
        StreamJsonReport(state, request.LevelPath, *output, input);
    else
        StreamLevelReport(state, request.LevelPath, input, *output);
    state.Map.Watch(nullptr);
    const RunOutcomeWords words = DescribeRunOutcome(state);
    const RunVerdict verdict = VerdictOf(state.LastRun);
    if (verdict == RunVerdict::Unread) {
        err << kProgram << ": " << ShownText(words.Run) << '\n';
        return kExitUnreadable;
    }
    // After a fault the lines written so far are the report; they go out like a complete one. Every
    // output that failed gets its line: the report's, then the walk's ending and the tiles'.
    bool outputFailed = false;
    if (request.OutputPath.empty()) {
        out.flush();
        std::string reason = output->Reason();
        if (reason.empty() && !out)
            reason = "the stream failed";
        if (!reason.empty()) {
            err << kProgram << ": cannot write the report to standard output: " << reason << '\n';
            outputFailed = true;
        }
    } else if (const std::string reason =
                   output->Failed()
                       ? "cannot hold the report in a temporary file: " + output->Reason()
                       : CopyToOutputFile(request.OutputPath, output->Source(), {.NeverOver = level});
               !reason.empty()) {
        err << kProgram << ": cannot write " << ShownText(request.OutputPath) << ": " << reason << '\n';
        outputFailed = true;
    }

    if (verdict != RunVerdict::Complete)
        err << kProgram << ": " << ShownText(words.Run) << '\n';
    if (!words.Tiles.empty())
        err << kProgram << ": " << ShownText(words.Tiles) << '\n';
    if (outputFailed || words.TilesFailed)
        return kExitUnreadable;
    return verdict == RunVerdict::Stopped    ? kExitOverflow
           : verdict == RunVerdict::Doubtful ? kExitDoubtful
                                             : kExitCompleted;
}

int RunReportCommand(const std::vector<std::string>& args, const std::filesystem::path& programFolder,
                     std::ostream& out, std::ostream& err, int outDescriptor) {
    ParsedArguments parsed = ParseReportArguments(args, out, err);
    if (!parsed.Request)
        return parsed.Exit;
    parsed.Request->OutputDescriptor = outDescriptor;
    AppState state;
    state.ProgramFolder = programFolder;
    state.TileFolderOverride = FallbackTileFolder(programFolder);
    state.TileFolderIsFallback = !state.TileFolderOverride.empty();
    return RunReportRequest(*parsed.Request, state, out, err);
}
