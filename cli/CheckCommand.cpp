#include "cli/CheckCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

#include "check/Check.h"
#include "check/FindingWriter.h"
#include "cli/CommandLine.h"
#include "cli/ReportStream.h"
#include "cli/SummaryCommand.h"
#include "cli/UsageError.h"
#include "report/OutputFile.h"
#include "report/RunOutcomeText.h"
#include "report/ThreadStart.h"
#include "support/ShownText.h"

namespace {

constexpr std::string_view kProgram = "strata-check";

struct CheckRequest {
    std::string Format = "text";
    std::vector<std::string> RuleLists;
    std::string Severity = "warning";
    std::string OutputPath;
    bool ListRules = false;
    std::vector<std::string> Paths;
};

// The rules a LIST names ("door-room,face-vertex"), or what is wrong with it.
std::string ParseRuleList(const std::string& list, std::vector<const check::Rule*>* rules) {
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(list.find(',', start), list.size());
        std::string_view id(list.data() + start, comma - start);
        while (!id.empty() && id.front() == ' ')
            id.remove_prefix(1);
        while (!id.empty() && id.back() == ' ')
            id.remove_suffix(1);
        const check::Rule* rule = check::RuleById(id);
        if (!rule)
            return Quoted(id) + " is not a rule of strata-check (--list-rules lists them)";
        if (rules && std::find(rules->begin(), rules->end(), rule) == rules->end())
            rules->push_back(rule);
        if (comma == list.size())
            return "";
        start = comma + 1;
    }
}

std::string PlainParseError(const CLI::ParseError& e, const CLI::App& app) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        const std::string option = OptionNamedIn(e.what());
        if (option == "--format")
            return "--format needs a value: text, json or sarif";
        if (option == "--rules")
            return "--rules needs a LIST: rule ids, comma-separated (door-room,walk-ended)";
        if (option == "--severity")
            return "--severity needs a value: error or warning";
        if (option == "--output")
            return "-o needs the FILE to write the findings into";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e))
        if (const std::string option = FirstOptionLike(app.remaining()); !option.empty())
            return option + " is not an option of strata-check";
    return e.what();
}

std::string WrongCombination(const CheckRequest& request, bool outputGiven) {
    if (!check::MakeFindingFormat(request.Format))
        return "--format is text, json or sarif, not " + Quoted(request.Format);
    if (request.Severity != "error" && request.Severity != "warning")
        return "--severity is error or warning, not " + Quoted(request.Severity);
    for (const std::string& list : request.RuleLists)
        if (const std::string wrong = ParseRuleList(list, nullptr); !wrong.empty())
            return "--rules: " + wrong;
    if (outputGiven && request.OutputPath.empty())
        return "-o needs a FILE, not an empty name (- is standard output)";
    if (request.Paths.empty())
        return "strata-check needs at least one FILE or DIR to check";
    return "";
}

// The document of the whole run: the files' parts in the order the files were named. A part is written
// as its blocks come while every earlier part is out; a later file's part is held until then (it is
// bounded: at most MostPerRule findings a rule). Each file's trouble goes to err in the same order.
class OrderedDocument {
  public:
    OrderedDocument(const check::FindingFormat& format, ReportSink& out, std::ostream& err, size_t files,
                    int64_t mostPerRule)
        : format_(format), out_(out), err_(err), parts_(files) {
        totals_.MostPerRule = mostPerRule;
        out_.Write(format_.Head());
    }

    void HandOn(size_t i, std::string& text, const check::CheckedFile* last) {
        const std::lock_guard lock(mutex_);
        FileOutput& part = parts_[i];
        if (i == head_) {
            Write(part, text);
        } else {
            part.Held += text;
            text.clear();
        }
        if (!last)
            return;
        part.Done = true;
        part.File = *last;
        while (head_ < parts_.size() && parts_[head_].Done) {
            Write(parts_[head_], parts_[head_].Held);
            Count(parts_[head_].File);
            ++head_;
            if (head_ < parts_.size())
                Write(parts_[head_], parts_[head_].Held);
        }
    }

    // Closes the document; the totals of every file.
    const check::CheckTotals& Finish() {
        out_.Write(format_.Tail(totals_));
        return totals_;
    }

  private:
    struct FileOutput {
        std::string Held;
        bool Started = false; // some of its text is out
        bool Done = false;
        check::CheckedFile File;
    };

    void Write(FileOutput& part, std::string& text) {
        if (text.empty())
            return;
        if (!part.Started) {
            if (anyText_)
                out_.Write(format_.PartSeparator());
            part.Started = anyText_ = true;
        }
        out_.Write(text);
        text.clear();
        text.shrink_to_fit();
    }

    void Count(const check::CheckedFile& file) {
        ++totals_.Files;
        totals_.Counts.Errors += file.Counts.Errors;
        totals_.Counts.Warnings += file.Counts.Warnings;
        totals_.Counts.LeftOut += file.Counts.LeftOut;
        if (!file.Trouble.empty()) {
            ++totals_.Troubled;
            totals_.Troubles.push_back(file.Trouble);
            err_ << kProgram << ": " << file.Trouble << '\n';
        }
    }

    const check::FindingFormat& format_;
    ReportSink& out_;
    std::ostream& err_;
    std::mutex mutex_;
    std::vector<FileOutput> parts_;
    size_t head_ = 0;
    bool anyText_ = false;
    check::CheckTotals totals_;
};

// Walks one file as strata-report --all would and checks it, its findings written as they are found.
// An empty file is there and readable: it only holds no level.
void CheckOne(const std::string& path, const check::CheckOptions& options, const check::FindingFormat& format,
              OrderedDocument& document, size_t index) {
    check::CheckedFile file;
    file.Path = path;
    // The part's last text and the file's end go together, so the document counts the file once.
    check::FindingWriter writer(format, path, [&document, index, &file](std::string& text, bool last) {
        document.HandOn(index, text, last ? &file : nullptr);
    });
    {
        auto level = std::make_shared<LevelFile>();
        const int16_t status = level->Open(path);
        if (status == 0 && level->FileLength() == 0) {
            file.Outcome = std::string(EndingName(WalkEnding::NotALevel));
            file.Trouble = ShownText(path) + " is not a DM2 or DM3 level: the file is empty";
        } else if (status != 0) {
            RunOutcome unread;
            unread.Status = status;
            file.Outcome = "unreadable";
            file.Trouble = "cannot read " + ShownText(path) + ": " + ReasonOfStatus(unread, path);
        } else {
            check::CheckOptions named = options;
            named.Path = path;
            file.Counts = check::CheckLevel(*level, named, writer);
            file.Outcome = std::string(EndingName(file.Counts.End.How));
            if (file.Counts.End.How == WalkEnding::NotALevel)
                file.Trouble = ShownText(path) + " is not a DM2 or DM3 level: nothing checked";
        }
    }
    writer.Finish(file);
}

} // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    int outDescriptor, unsigned threads) {
    CheckRequest request;
    CLI::App app("Checks DM2 and DM3 level files for references that point nowhere: a door to a room the\n"
                 "level does not have, a face's vertex past its room's list, an item in no room. Each\n"
                 "finding names the bytes of the field that makes it.",
                 std::string(kProgram));
    UseUsageLine(app, std::string(kCheckUsage));
    app.set_version_flag("--version", std::string(kProgram) + " " STRATA_VERSION);
    app.footer("DIR is searched, with its subfolders, for the files that start with a DM2 or DM3 version\n"
               "word, as strata-report --summary searches it.\n"
               "Exit status: 0 no error was found (warnings allowed), 1 an error was found, 2 a file cannot\n"
               "be read or is not a DM2 or DM3 level, the findings cannot be written, or the arguments are\n"
               "wrong.");
    app.add_option("--format", request.Format,
                   "text (one line per finding, like a compiler's), json, or sarif (SARIF 2.1.0)")
        ->type_name("text|json|sarif");
    app.add_option("--rules", request.RuleLists, "Run only these rules: rule ids, comma-separated")
        ->type_name("LIST")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--severity", request.Severity,
                   "The least severity run and told: error leaves the warnings out (default warning)")
        ->type_name("error|warning");
    auto* output = app.add_option("-o,--output", request.OutputPath,
                                  "Write the findings to FILE instead of standard output")
                       ->type_name("FILE");
    app.add_flag("--list-rules", request.ListRules, "Print every rule: its id, severity and what it checks");
    app.add_option("FILE", request.Paths, "Level files, or folders to search for them")->type_name("");

    try {
        ParseArguments(app, kProgram, args);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(e, out, err); // --help or --version
            return kCheckClean;
        }
        return PrintUsageError(err, kProgram, PlainParseError(e, app));
    }
    if (request.ListRules) {
        for (const check::Rule& rule : check::Rules())
            out << rule.Id << '\t' << check::SeverityName(rule.Level) << '\t' << rule.Help << '\n';
        return kCheckClean;
    }
    if (const std::string wrong = WrongCombination(request, output->count() > 0); !wrong.empty())
        return PrintUsageError(err, kProgram, wrong);
    if (request.OutputPath == "-")
        request.OutputPath.clear();

    check::CheckOptions options;
    for (const std::string& list : request.RuleLists)
        ParseRuleList(list, &options.Only);
    options.Least = request.Severity == "error" ? check::Severity::Error : check::Severity::Warning;

    const std::vector<std::string> files = SummaryFiles(request.Paths);
    // An output that is one of the levels would be written while it is read, or over it.
    const std::optional<FileIdentity> target =
        request.OutputPath.empty() ? std::nullopt : IdentityOf(request.OutputPath);
    for (const std::string& file : files) {
        const std::optional<FileIdentity> level = IdentityOf(file);
        if (request.OutputPath.empty() && outDescriptor >= 0 && IsTheLevel(outDescriptor, level)) {
            err << kProgram << ": cannot write the findings to standard output: it is " << ShownText(file)
                << ", a level being checked\n";
            return kCheckTrouble;
        }
        if (target && level && *target == *level) {
            err << kProgram << ": cannot write " << ShownText(request.OutputPath)
                << ": it is a level being checked\n";
            return kCheckTrouble;
        }
    }

    std::unique_ptr<ReportOutput> sink;
    if (!request.OutputPath.empty())
        sink = std::make_unique<ReportOutput>(nullptr);
    else if (outDescriptor >= 0)
        sink = std::make_unique<ReportOutput>(outDescriptor);
    else
        sink = std::make_unique<ReportOutput>(&out);
    const std::unique_ptr<check::FindingFormat> format =
        check::MakeFindingFormat(request.Format, STRATA_VERSION);
    OrderedDocument document(*format, *sink, err, files.size(), options.MostPerRule);

    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++)
            CheckOne(files[i], options, *format, document, i);
    };
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, files.size())));
    {
        // This thread checks files too, so the run goes on with the helpers the system lets start.
        std::vector<std::jthread> workers;
        for (unsigned t = 1; t < threads; ++t) {
            std::jthread worker = TryStartThread(work);
            if (!worker.joinable())
                break;
            workers.push_back(std::move(worker));
        }
        work();
    }
    const check::CheckTotals& totals = document.Finish();

    std::string reason;
    if (request.OutputPath.empty()) {
        out.flush();
        reason = sink->Reason();
        if (reason.empty() && !out)
            reason = "the stream failed";
        if (!reason.empty())
            reason = "cannot write the findings to standard output: " + reason;
    } else if (reason = sink->Failed() ? "cannot hold the findings in a temporary file: " + sink->Reason()
                                       : CopyToOutputFile(request.OutputPath, sink->Source());
               !reason.empty()) {
        reason = "cannot write " + ShownText(request.OutputPath) + ": " + reason;
    }
    if (!reason.empty()) {
        err << kProgram << ": " << reason << '\n';
        return kCheckTrouble;
    }
    if (totals.Troubled > 0)
        return kCheckTrouble;
    return totals.Counts.Errors > 0 ? kCheckErrors : kCheckClean;
}
