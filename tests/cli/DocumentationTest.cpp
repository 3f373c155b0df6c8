// The manual pages and bash completion beside the programs, checked against the programs themselves:
// every option --help lists is in the page and in the completion, and the completion offers the
// values each option takes.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "cli/CheckCommand.h"
#include "cli/DiffCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ReportCommand.h"
#include "common/TestFiles.h"

namespace {

const std::filesystem::path kSource = STRATA_SOURCE_DIR;

std::string TextOf(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    return {bytes.begin(), bytes.end()};
}

// The options of a --help text: the words of its option lines, "-o,--output FILE" giving -o and --output.
std::set<std::string> OptionsIn(const std::string& help) {
    std::set<std::string> options;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  -"))
            continue;
        std::istringstream names(line.substr(2, line.find(' ', 2) - 2));
        for (std::string name; std::getline(names, name, ',');)
            options.insert(name);
    }
    return options;
}

// What the completion offers for the words typed so far (the last one being completed), with the
// helpers of bash-completion reduced to what the scripts need; file names come back as FILES or DIRS.
std::string Complete(const std::string& program, const std::string& function, const std::string& words) {
    const std::string script =
        "_init_completion() { words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; cur=${words[cword]}; "
        "prev=${words[cword-1]}; }\n"
        "_filedir() { if [[ $1 == -d ]]; then COMPREPLY=(DIRS); else COMPREPLY=(FILES); fi; }\n"
        "complete() { :; }\n"
        "source '" +
        (kSource / "completion" / program).string() +
        "'\n"
        "COMP_WORDS=(" +
        words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n" + function +
        " \"${COMP_WORDS[0]}\"\n"
        "echo \"${COMPREPLY[*]}\"\n";
    TempDir dir;
    const std::string file = dir.Write("complete.sh", {script.begin(), script.end()});
    std::string out;
    if (FILE* pipe = ::popen(("bash '" + file + "' 2>&1").c_str(), "r")) {
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
            out.append(block, n);
        ::pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string HelpOf(int (*run)(std::ostream&, std::ostream&)) {
    std::ostringstream out, err;
    run(out, err);
    return out.str();
}

} // namespace

TEST(Documentation, EveryOptionOfTheHelpIsInTheManualPageAndTheCompletion) {
    const struct {
        std::string Program, Title, Function, Help;
    } programs[] = {
        {"strata-report", "STRATA-REPORT", "_strata_report",
         HelpOf([](std::ostream& o, std::ostream& e) { return RunReportCommand({"--help"}, {}, o, e); })},
        {"strata-diff", "STRATA-DIFF", "_strata_diff",
         HelpOf([](std::ostream& o, std::ostream& e) { return RunDiffCommand({"--help"}, o, e); })},
        {"strata-check", "STRATA-CHECK", "_strata_check",
         HelpOf([](std::ostream& o, std::ostream& e) { return RunCheckCommand({"--help"}, o, e); })},
        {"strata-export", "STRATA-EXPORT", "_strata_export",
         HelpOf([](std::ostream& o, std::ostream& e) { return RunExportCommand({"--help"}, o, e); })},
    };
    for (const auto& p : programs) {
        SCOPED_TRACE(p.Program);
        const std::set<std::string> options = OptionsIn(p.Help);
        ASSERT_GE(options.size(), 5u) << p.Help;
        const std::string page = TextOf(kSource / "man" / (p.Program + ".1"));
        EXPECT_NE(page.find(".TH " + p.Title + " 1 "), std::string::npos);
        std::istringstream offered(Complete(p.Program, p.Function, p.Program + " -"));
        std::set<std::string> completed{std::istream_iterator<std::string>(offered), {}};
        for (const std::string& option : options) {
            // roff writes a hyphen as \-.
            std::string roff;
            for (char c : option)
                roff += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(page.find(roff), std::string::npos) << option << " is missing from the manual page";
            EXPECT_TRUE(completed.contains(option)) << option << " is not completed";
        }
    }
}

TEST(Documentation, CompletionOffersTheValuesOfEachOption) {
    const std::string report = STRATA_REPORT_PATH;
    const std::string checker = STRATA_CHECK_PATH;
    const struct {
        std::string Program, Function, Words, Offered;
    } cases[] = {
        {"strata-report", "_strata_report", "strata-report --form", "--format"},
        {"strata-report", "_strata_report", "strata-report --format ''", "text json"},
        {"strata-report", "_strata_report", "strata-report --summary --format ''", "csv json"},
        // The detail indices come from the program's own --list-options.
        {"strata-report", "_strata_report", "'" + report + "' --details 3", "3 30 31 32 33 34 35 36"},
        {"strata-report", "_strata_report", "strata-report --tile-dir ''", "DIRS"},
        {"strata-report", "_strata_report", "strata-report -o ''", "FILES"},
        {"strata-report", "_strata_report", "strata-report --all ''", "FILES"},
        {"strata-diff", "_strata_diff", "strata-diff --format j", "json"},
        {"strata-diff", "_strata_diff", "strata-diff --sections 2", "2 20 21 22 23 24 25 26 27 28 29"},
        {"strata-diff", "_strata_diff", "strata-diff a.dm2 ''", "FILES"},
        {"strata-check", "_strata_check", "strata-check --format ''", "text json sarif"},
        {"strata-check", "_strata_check", "strata-check --severity e", "error"},
        // The rule ids come from the program's own --list-rules, after a comma too.
        {"strata-check", "_strata_check", "'" + checker + "' --rules door", "door-room"},
        {"strata-check", "_strata_check", "'" + checker + "' --rules door-room,walk", "door-room,walk-ended"},
        {"strata-check", "_strata_check", "strata-check -o ''", "FILES"},
        {"strata-check", "_strata_check", "strata-check --rules door-room ''", "FILES"},
        {"strata-export", "_strata_export", "strata-export --format g", "glb gltf"},
        {"strata-export", "_strata_export", "strata-export --tiles ''", "8 16"},
        {"strata-export", "_strata_export", "strata-export -o ''", "FILES"},
        {"strata-viewer", "_strata_viewer", "strata-viewer --", "--goto --help --version"},
        {"strata-viewer", "_strata_viewer", "strata-viewer --goto ''", ""},
        {"strata-viewer", "_strata_viewer", "strata-viewer ''", "FILES"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Complete(c.Program, c.Function, c.Words), c.Offered) << c.Words;
}
