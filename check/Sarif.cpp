// The findings as a SARIF 2.1.0 log: one run, a rule descriptor per rule with its help, and a result
// per finding whose region is the referencing field's bytes (byteOffset and byteLength: a level file
// has no lines). The results array is written as the findings come; the run's invocation, with the
// files that could not be checked, closes it.
#include "check/FindingWriter.h"
#include "report/JsonString.h"

namespace check {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// A message in SARIF is a sentence and ends with a full stop.
std::string Sentence(std::string text) {
    if (text.empty() || text.back() != '.')
        text += '.';
    return text;
}

void AppendMessage(std::string& out, const std::string& text) {
    out += "{\"text\": ";
    AppendJsonString(out, Sentence(text));
    out += '}';
}

class SarifFormat final : public FindingFormat {
  public:
    explicit SarifFormat(std::string_view version) : version_(version) {}

    std::string Head() const override {
        std::string out = "{\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\", \"version\": "
                          "\"2.1.0\", \"runs\": [{\"tool\": {\"driver\": {\"name\": \"strata-check\"";
        if (!version_.empty()) {
            out += ", \"version\": ";
            AppendJsonString(out, version_);
        }
        out += ", \"rules\": [";
        const std::span<const Rule> rules = Rules();
        for (size_t i = 0; i < rules.size(); ++i) {
            out += i == 0 ? "\n  " : ",\n  ";
            out += "{\"id\": ";
            AppendJsonString(out, rules[i].Id);
            out += ", \"fullDescription\": ";
            AppendMessage(out, std::string(rules[i].Help));
            out += ", \"help\": ";
            AppendMessage(out, std::string(rules[i].Help));
            out += ", \"defaultConfiguration\": {\"level\": ";
            AppendJsonString(out, SeverityName(rules[i].Level));
            out += "}}";
        }
        out += "]}},\n\"results\": [\n";
        return out;
    }
    std::string FileHead(const std::string&) const override { return {}; }
    void AppendFinding(std::string& out, const std::string& path, const Finding& finding) const override {
        const Rule& rule = *finding.Of;
        out += "  {\"ruleId\": ";
        AppendJsonString(out, rule.Id);
        const std::span<const Rule> rules = Rules();
        if (&rule >= rules.data() && &rule < rules.data() + rules.size()) {
            out += ", \"ruleIndex\": ";
            out += std::to_string(&rule - rules.data());
        }
        out += ", \"level\": ";
        AppendJsonString(out, SeverityName(rule.Level));
        out += ", \"message\": ";
        AppendMessage(out, finding.Place.empty() ? finding.Message : finding.Place + ": " + finding.Message);
        out += ", \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": ";
        AppendJsonString(out, PathUri(path));
        out += '}';
        // An offset before the file's start (a walk that stepped back) has no region in the file.
        if (finding.Offset >= 0) {
            out += ", \"region\": {\"byteOffset\": ";
            out += std::to_string(finding.Offset);
            out += ", \"byteLength\": ";
            out += std::to_string(std::max<int32_t>(finding.Bytes, 0));
            out += '}';
        }
        out += '}';
        if (!finding.Place.empty()) {
            out += ", \"logicalLocations\": [{\"fullyQualifiedName\": ";
            AppendJsonString(out, finding.Place);
            out += "}]";
        }
        out += "}]}";
    }
    std::string_view FindingSeparator() const override { return ",\n"; }
    std::string FileTail(const CheckedFile&) const override { return {}; }
    std::string_view PartSeparator() const override { return ",\n"; }
    std::string Tail(const CheckTotals& totals) const override {
        std::string out = "\n],\n\"invocations\": [{\"executionSuccessful\": ";
        out += totals.Troubled == 0 ? "true" : "false";
        if (!totals.Troubles.empty()) {
            out += ", \"toolExecutionNotifications\": [";
            for (size_t i = 0; i < totals.Troubles.size(); ++i) {
                out += i == 0 ? "\n  " : ",\n  ";
                out += "{\"level\": \"error\", \"message\": ";
                AppendMessage(out, totals.Troubles[i]);
                out += '}';
            }
            out += ']';
        }
        out += "}]}]}\n";
        return out;
    }

  private:
    std::string version_;
};

} // namespace

std::string PathUri(std::string_view path) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string uri = !path.empty() && path.front() == '/' ? "file://" : "";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unreserved(byte) || byte == '/') {
            uri += c;
        } else {
            uri += '%';
            uri += kDigits[byte >> 4];
            uri += kDigits[byte & 15];
        }
    }
    return uri;
}

std::unique_ptr<FindingFormat> MakeSarifFormat(std::string_view version) {
    return std::make_unique<SarifFormat>(version);
}

} // namespace check
