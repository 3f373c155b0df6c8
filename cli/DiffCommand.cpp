#include "cli/DiffCommand.h"

#include "report/RunOutcomeText.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "cli/ReportCommand.h"
#include "cli/StandardInput.h"
#include "cli/UsageError.h"
#include "compare/Compare.h"
#include "compare/DifferenceText.h"
#include "report/OutputFile.h"
#include "support/ShownText.h"

namespace {

constexpr std::string_view kProgram = "strata-diff";

struct DiffRequest {
    std::string Format = "text";
    bool Stat = false;
    std::vector<std::string> SectionLists;
    std::string PathA, PathB;
};

// Writes the differences as they come: lines of text, or the objects of one JSON list. To a descriptor
// they go in blocks, and the first write that fails keeps the system's reason.
class DifferenceWriter {
  public:
    DifferenceWriter(std::ostream& out, int descriptor, bool json)
        : out_(out), descriptor_(descriptor), json_(json) {}
    void Write(const std::string& text) {
        if (json_)
            block_ += count_ == 0 ? "[\n  " : ",\n  ";
        block_ += text;
        if (!json_)
            block_ += '\n';
        ++count_;
        if (block_.size() >= kBlockBytes)
            Flush();
    }
    void Finish() {
        if (json_)
            block_ += count_ == 0 ? "[]\n" : "\n]\n";
        Flush();
        if (descriptor_ < 0) {
            out_.flush();
            if (!out_ && reason_.empty())
                reason_ = "the stream failed";
        }
    }
    // Why the differences could not all be written; "" when they were.
    const std::string& Reason() const { return reason_; }

  private:
    static constexpr size_t kBlockBytes = size_t{1} << 16;
    void Flush() {
        if (reason_.empty() && descriptor_ >= 0)
            reason_ = WriteToDescriptor(descriptor_, block_);
        else if (descriptor_ < 0)
            out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
        block_.clear();
    }
    std::ostream& out_;
    int descriptor_;
    bool json_;
    std::string block_;
    std::string reason_;
    int64_t count_ = 0;
};

// A level named "-" is read whole from standard input.
compare::WalkedLevel WalkNamed(const std::string& path, std::string& reason) {
    if (path != "-")
        return compare::WalkForComparison(path);
    std::vector<uint8_t> bytes;
    reason = ReadWholeInput(STDIN_FILENO, bytes);
    if (!reason.empty())
        return {};
    return compare::WalkForComparison(
        std::make_shared<const LevelFile>(LevelFile::FromBytes(std::move(bytes))), path);
}

// CLI11's parse errors as plain sentences; what the values hold is checked in WrongCombination.
std::string PlainParseError(const CLI::ParseError& e, const CLI::App& app, const DiffRequest& request) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        const std::string option = OptionNamedIn(e.what());
        if (option == "--format")
            return "--format needs a value: text or json";
        if (option == "--sections")
            return "--sections needs a LIST: detail indices 0 to 36 and ranges of them, comma-separated "
                   "(0-5,12)";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
        const std::vector<std::string> leftOver = app.remaining();
        if (const std::string option = FirstOptionLike(leftOver); !option.empty())
            return option + " is not an option of strata-diff";
        // "--sections 3 4 a b": the LIST ended at the blank, and 4 became file A.
        if (!request.SectionLists.empty() && ParseDetailList(request.PathA, nullptr).empty())
            return "--sections takes one LIST, its indices joined by commas as in 3,4: the " +
                   Quoted(request.PathA) + " after it was taken as file A";
        if (!leftOver.empty())
            return "strata-diff compares two files: " + Quoted(leftOver.front()) + " is one too many";
    }
    return e.what();
}

std::string WrongCombination(const DiffRequest& request) {
    if (request.Format != "text" && request.Format != "json")
        return "--format is text or json, not " + Quoted(request.Format);
    for (const std::string& list : request.SectionLists)
        if (const std::string wrong = ParseDetailList(list, nullptr); !wrong.empty())
            return "--sections: " + wrong;
    if (request.PathB.empty()) // positionals fill in order: no B, or neither
        return std::string("strata-diff compares two files, A and B: ") +
               (request.PathA.empty() ? "none was given" : "B is missing");
    return "";
}

} // namespace

int RunDiffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   int outDescriptor) {
    DiffRequest request;
    CLI::App app(
        "Compares two DM2 or DM3 level files by their structure: chunk by chunk, room by room, record\n"
        "by record, field by field, by value and never by offset.",
        std::string(kProgram));
    UseUsageLine(app, std::string(kDiffUsage));
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer(
        "Exit status: 0 the levels are the same (nothing is printed), 1 they differ, 2 a file cannot be\n"
        "read or is not a DM2 or DM3 level, or the arguments are wrong.");
    app.add_option("--format", request.Format, "text (one line per difference) or json (a list of objects)")
        ->type_name("text|json");
    app.add_flag("--stat", request.Stat,
                 "One line per chunk with its counts of changed, added and removed records");
    app.add_option(
           "--sections", request.SectionLists,
           "Compare only these sections: detail indices 0 to 36, as strata-report --details takes them")
        ->type_name("LIST")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("A", request.PathA, "The first level file")->type_name("");
    app.add_option("B", request.PathB, "The second level file")->type_name("");

    try {
        ParseArguments(app, kProgram, args);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(e, out, err); // --help or --version
            return kDiffSame;
        }
        PrintUsageError(err, kProgram, PlainParseError(e, app, request));
        return kDiffTrouble;
    }
    if (const std::string wrong = WrongCombination(request); !wrong.empty()) {
        PrintUsageError(err, kProgram, wrong);
        return kDiffTrouble;
    }

    compare::CompareOptions options;
    if (request.SectionLists.empty()) {
        options.Sections = compare::AllSections();
    } else {
        std::vector<int> indices;
        for (const std::string& list : request.SectionLists)
            ParseDetailList(list, &indices);
        for (const int i : indices)
            options.Sections.Set(i, true);
    }

    if (request.PathA == "-" && request.PathB == "-") {
        return PrintUsageError(err, kProgram, "only one of A and B can be - (standard input)");
    }
    // Both files are walked the one way whatever --sections asks, so it cannot move where a walk ends;
    // the sections only choose which differences are told.
    compare::WalkedLevel walked[2];
    const std::string* paths[2] = {&request.PathA, &request.PathB};
    // A standard output opened on one of the levels (`>> A`) would take the differences onto its end.
    for (const std::string* path : paths)
        if (outDescriptor >= 0 &&
            IsTheLevel(outDescriptor, *path == "-" ? IdentityOf(STDIN_FILENO) : IdentityOf(*path))) {
            err << kProgram << ": cannot write to standard output: it is " << *path
                << ", a level being compared\n";
            return kDiffTrouble;
        }
    for (int i = 0; i < 2; ++i) {
        std::string inputReason;
        walked[i] = WalkNamed(*paths[i], inputReason);
        if (!inputReason.empty()) {
            err << kProgram << ": cannot read -: " << inputReason << '\n';
            return kDiffTrouble;
        }
        if (!walked[i].Readable()) {
            RunOutcome unread;
            unread.Status = walked[i].Status;
            err << kProgram << ": cannot read " << ShownText(*paths[i]) << ": "
                << ReasonOfStatus(unread, *paths[i]) << '\n';
            return kDiffTrouble;
        }
    }
    // A file that cannot be read is named before one that is no level, whichever of A and B it is.
    for (int i = 0; i < 2; ++i)
        if (const std::string why = compare::NothingCompared(walked[i], ShownText(*paths[i])); !why.empty()) {
            err << kProgram << ": " << why << '\n';
            return kDiffTrouble;
        }

    const bool json = request.Format == "json";
    DifferenceWriter writer(out, outDescriptor, json);
    compare::DifferenceStats stats;
    std::vector<compare::Difference> endings; // --stat prints them after its counts
    const compare::CompareSummary summary =
        compare::CompareLevels(walked[0], walked[1], options, [&](const compare::Difference& d) {
            if (!request.Stat)
                writer.Write(json ? compare::DifferenceJson(d) : compare::DifferenceLine(d));
            else if (d.What == compare::Change::Ending || d.What == compare::Change::Note)
                endings.push_back(d);
            else
                stats.Add(d);
        });
    if (request.Stat) {
        for (const compare::ChunkStat& row : stats.Rows())
            writer.Write(json ? compare::DifferenceStats::Json(row) : compare::DifferenceStats::Line(row));
        for (const compare::Difference& d : endings)
            writer.Write(json ? compare::DifferenceJson(d) : compare::DifferenceLine(d));
    }
    if (summary.Differences == 0 && !json)
        return kDiffSame;
    writer.Finish();
    if (!writer.Reason().empty()) {
        err << kProgram << ": cannot write to standard output: " << writer.Reason() << '\n';
        return kDiffTrouble;
    }
    return summary.Differences == 0 ? kDiffSame : kDiffDifferent;
}
