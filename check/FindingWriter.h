#pragma once
// The checker's findings written out as they are found, in one of three formats: lines like a
// compiler's, a JSON document, or a SARIF 2.1.0 log for the annotations of a repository's CI.
//
// A document is made of a head, one part per checked file (in the order the files were named) and a
// tail. A file's part is written by a FindingWriter, the sink the checker is given: each finding is
// formatted as it comes and the text is handed on in blocks, so no list of findings is ever held.
// Parts are joined by the format's separator, which the writer of the document puts between two parts
// that hold text (a JSON file object always does; a SARIF part is its results, and may be empty).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/Check.h"

namespace check {

// One checked file as its part's end tells it.
struct CheckedFile {
    std::string Path;
    std::string Outcome; // the walk's ending by its name (EndingName), or "unreadable"
    std::string Trouble; // why the file could not be checked ("no such file"); empty when it was
    CheckCounts Counts;
};

// The whole run's counts, for the document's tail.
struct CheckTotals {
    int64_t Files = 0;
    int64_t Troubled = 0; // files that could not be checked
    CheckCounts Counts;
    int64_t MostPerRule = 0;
    std::vector<std::string> Troubles; // "cannot read PATH: no such file", one a troubled file
};

class FindingFormat {
  public:
    virtual ~FindingFormat() = default;
    virtual std::string Head() const = 0;
    virtual std::string FileHead(const std::string& path) const = 0;
    virtual void AppendFinding(std::string& out, const std::string& path, const Finding& finding) const = 0;
    // Between two findings of one file.
    virtual std::string_view FindingSeparator() const = 0;
    virtual std::string FileTail(const CheckedFile& file) const = 0;
    // Between two files' parts that hold text.
    virtual std::string_view PartSeparator() const = 0;
    virtual std::string Tail(const CheckTotals& totals) const = 0;
};

// "text", "json" or "sarif"; null for another name. version is the program's, for SARIF's tool.
std::unique_ptr<FindingFormat> MakeFindingFormat(std::string_view name, std::string_view version = {});
std::unique_ptr<FindingFormat> MakeTextFormat();
std::unique_ptr<FindingFormat> MakeJsonFormat();
std::unique_ptr<FindingFormat> MakeSarifFormat(std::string_view version);

// text's "path:0x12091A: error: place: message [rule]", with the path shown safely for a terminal.
std::string FindingLine(const std::string& path, const Finding& finding);

// One file's findings in a format: the part's text is handed on in blocks of about kBlockBytes and at
// the end, through handOn (which takes the text and leaves the string empty or as it pleases).
class FindingWriter final : public FindingSink {
  public:
    static constexpr size_t kBlockBytes = size_t{1} << 16;
    using HandOn = std::function<void(std::string& text, bool last)>;
    FindingWriter(const FindingFormat& format, std::string path, HandOn handOn);
    void Found(const Finding& finding) override;
    // Ends the part with the file's outcome and counts and hands on the rest.
    void Finish(const CheckedFile& file);

  private:
    const FindingFormat& format_;
    std::string path_;
    HandOn handOn_;
    std::string text_;
    int64_t found_ = 0;
};

// The path as a URI reference: a relative path stays relative, an absolute one becomes a file: URI; the
// bytes outside the unreserved characters and '/' are percent-encoded.
std::string PathUri(std::string_view path);

} // namespace check
