// The findings as a compiler's diagnostics: one line each, then a line with the counts.
#include <cstdio>

#include "check/FindingWriter.h"
#include "report/RunOutcomeText.h"
#include "support/ShownText.h"

namespace check {

namespace {

std::string Hex(int64_t offset) {
    char text[24];
    const unsigned long long magnitude =
        offset < 0 ? 0ull - static_cast<unsigned long long>(offset) : static_cast<unsigned long long>(offset);
    std::snprintf(text, sizeof text, "%s0x%llX", offset < 0 ? "-" : "", magnitude);
    return text;
}

std::string Counted(int64_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(Plural(n, one, many));
}

class TextFormat final : public FindingFormat {
  public:
    std::string Head() const override { return {}; }
    std::string FileHead(const std::string&) const override { return {}; }
    void AppendFinding(std::string& out, const std::string& path, const Finding& finding) const override {
        out += FindingLine(path, finding);
        out += '\n';
    }
    std::string_view FindingSeparator() const override { return {}; }
    std::string FileTail(const CheckedFile&) const override { return {}; }
    std::string_view PartSeparator() const override { return {}; }
    std::string Tail(const CheckTotals& totals) const override {
        std::string line = Counted(totals.Counts.Errors, "error", "errors") + ", " +
                           Counted(totals.Counts.Warnings, "warning", "warnings") + " in " +
                           Counted(totals.Files, "file", "files");
        if (totals.Troubled > 0)
            line += "; " + Counted(totals.Troubled, "file", "files") + " could not be checked";
        if (totals.Counts.LeftOut > 0)
            line += "; " + Counted(totals.Counts.LeftOut, "finding", "findings") + " past the first " +
                    std::to_string(totals.MostPerRule) + " of a rule in a file left out";
        return line + "\n";
    }
};

} // namespace

std::string FindingLine(const std::string& path, const Finding& finding) {
    std::string line = ShownText(path);
    line += ':';
    line += Hex(finding.Offset);
    line += ": ";
    line += SeverityName(finding.Of->Level);
    line += ": ";
    if (!finding.Place.empty()) {
        line += ShownText(finding.Place);
        line += ": ";
    }
    line += ShownText(finding.Message);
    line += " [";
    line += finding.Of->Id;
    line += ']';
    return line;
}

std::unique_ptr<FindingFormat> MakeTextFormat() {
    return std::make_unique<TextFormat>();
}

} // namespace check
