#include "cli/DiffCommand.h"

#include "engine/RunOutcomeText.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/ReportCommand.h"
#include "cli/UsageError.h"
#include "engine/Compare.h"
#include "engine/DifferenceText.h"
#include "support/ShownText.h"

namespace {

constexpr std::string_view kProgram = "strata-diff";

class DiffFormatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: " + std::string(kDiffUsage) + "\n";
    }
};

struct DiffRequest {
    std::string Format = "text";
    bool Stat = false;
    std::vector<std::string> SectionLists;
    std::string PathA, PathB;
};

// Writes the differences as they come: lines of text, or the objects of one JSON list.
class DifferenceWriter {
  public:
    DifferenceWriter(std::ostream& out, bool json) : out_(out), json_(json) {}
    void Write(const std::string& text) {
        if (json_)
            out_ << (count_ == 0 ? "[\n  " : ",\n  ");
        out_ << text;
        if (!json_)
            out_ << '\n';
        ++count_;
    }
    void Finish() {
        if (json_)
            out_ << (count_ == 0 ? "[]\n" : "\n]\n");
        out_.flush();
    }

  private:
    std::ostream& out_;
    bool json_;
    int64_t count_ = 0;
};

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

int RunDiffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DiffRequest request;
    CLI::App app(
        "Compares two DM2 or DM3 level files by their structure: chunk by chunk, room by room, record\n"
        "by record, field by field, by value and never by offset.",
        std::string(kProgram));
    app.formatter(std::make_shared<DiffFormatter>());
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer(
        "Exit status: 0 the levels are the same (nothing is printed), 1 they differ, 2 a file cannot be\n"
        "read or the arguments are wrong.");
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

    std::vector<const char*> argv{kProgram.data()};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
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

    compare::WalkedLevel walked[2];
    const std::string* paths[2] = {&request.PathA, &request.PathB};
    for (int i = 0; i < 2; ++i) {
        walked[i] = compare::WalkForComparison(*paths[i], options.Sections);
        if (!walked[i].Readable()) {
            RunOutcome unread;
            unread.Status = walked[i].Status;
            err << kProgram << ": cannot read " << ShownText(*paths[i]) << ": "
                << ReasonOfStatus(unread, *paths[i]) << '\n';
            return kDiffTrouble;
        }
    }

    const bool json = request.Format == "json";
    DifferenceWriter writer(out, json);
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
    if (!out) {
        err << kProgram << ": cannot write to standard output\n";
        return kDiffTrouble;
    }
    return summary.Differences == 0 ? kDiffSame : kDiffDifferent;
}
