// The findings as one JSON document: {"files": [{"path", "findings": [...], "outcome", counts}], counts}.
#include "check/FindingWriter.h"
#include "report/JsonString.h"

namespace check {

namespace {

void AppendNumber(std::string& out, std::string_view name, int64_t value) {
    out += ", ";
    AppendJsonString(out, name);
    out += ": ";
    out += std::to_string(value);
}

void AppendCounts(std::string& out, const CheckCounts& counts) {
    AppendNumber(out, "errors", counts.Errors);
    AppendNumber(out, "warnings", counts.Warnings);
    AppendNumber(out, "left_out", counts.LeftOut);
}

class JsonFormat final : public FindingFormat {
  public:
    std::string Head() const override { return "{\"files\": [\n"; }
    std::string FileHead(const std::string& path) const override {
        std::string out = "{\"path\": ";
        AppendJsonString(out, path);
        out += ", \"findings\": [";
        return out;
    }
    void AppendFinding(std::string& out, const std::string&, const Finding& finding) const override {
        out += "\n  {\"rule\": ";
        AppendJsonString(out, finding.Of->Id);
        out += ", \"severity\": ";
        AppendJsonString(out, SeverityName(finding.Of->Level));
        AppendNumber(out, "offset", finding.Offset);
        AppendNumber(out, "bytes", finding.Bytes);
        out += ", \"place\": ";
        AppendJsonString(out, finding.Place);
        out += ", \"field\": ";
        AppendJsonString(out, finding.Field);
        AppendNumber(out, "value", finding.Value);
        out += ", \"message\": ";
        AppendJsonString(out, finding.Message);
        out += '}';
    }
    std::string_view FindingSeparator() const override { return ","; }
    std::string FileTail(const CheckedFile& file) const override {
        std::string out = "], \"outcome\": ";
        AppendJsonString(out, file.Outcome);
        AppendCounts(out, file.Counts);
        if (!file.Trouble.empty()) {
            out += ", \"trouble\": ";
            AppendJsonString(out, file.Trouble);
        }
        out += '}';
        return out;
    }
    std::string_view PartSeparator() const override { return ",\n"; }
    std::string Tail(const CheckTotals& totals) const override {
        std::string out = "\n]";
        AppendCounts(out, totals.Counts);
        AppendNumber(out, "files_not_checked", totals.Troubled);
        out += "}\n";
        return out;
    }
};

} // namespace

std::unique_ptr<FindingFormat> MakeJsonFormat() {
    return std::make_unique<JsonFormat>();
}

} // namespace check
