#include "compare/DifferenceText.h"

#include "format/NumberText.h"
#include "report/JsonString.h"
#include "report/RunOutcomeText.h"

namespace compare {

namespace {

std::string ChunkName(const Difference& d) {
    return d.Chunk == Piece::Records ? "file" : std::string(InfoOf(d.Chunk).Name);
}

std::string IndexText(const Difference& d) {
    // Built by appending: GCC 12 warns wrongly about a short literal put in front of a temporary.
    std::string text;
    if (d.IndexA >= 0 && d.IndexB == d.IndexA)
        return text.append(std::to_string(d.IndexA));
    if (d.IndexA >= 0)
        text.append("A").append(std::to_string(d.IndexA));
    if (d.IndexA >= 0 && d.IndexB >= 0)
        text.append(" ");
    if (d.IndexB >= 0)
        text.append("B").append(std::to_string(d.IndexB));
    return text;
}

// Where the walk of file A or B ended, in the report's own words about that file.
std::string EndingText(const Difference& d) {
    std::string text = DescribeWalkEnd(d.Ended, std::string(1, d.File));
    if (d.Ended.How == WalkEnding::Overflow || d.Ended.How == WalkEnding::SizeLimit)
        text += "; compared as far as both walks go";
    return text;
}

std::string BytesText(const Difference& d) {
    std::string text = "differs in " + Grouped(d.Count) + " " + std::string(Plural(d.Count, "byte", "bytes"));
    if (d.Chunk == Piece::Records)
        text += " the report does not show";
    if (!d.Runs.empty())
        text += ", first at 0x" + Hex(d.Runs.front().Offset);
    return text;
}

std::string Quoted(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string_view KindName(Change c) {
    switch (c) {
    case Change::Changed:
        return "changed";
    case Change::Added:
        return "added";
    case Change::Removed:
        return "removed";
    case Change::Bytes:
        return "bytes";
    case Change::Ending:
        return "ending";
    case Change::Note:
        return "note";
    }
    return "";
}

bool SamePlace(const Difference& a, const Difference& b) {
    return a.What == b.What && a.Chunk == b.Chunk && a.Room == b.Room && a.Part == b.Part &&
           a.Element == b.Element && a.IndexA == b.IndexA && a.IndexB == b.IndexB;
}

} // namespace

std::string Grouped(int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -n : n);
    std::string text = n < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

std::string PlaceText(const Difference& d) {
    std::string text = ChunkName(d);
    if (d.Room >= 0)
        text += " > room " + std::to_string(d.Room);
    if (d.Part != Piece::Records)
        text += " > " + std::string(InfoOf(d.Part).Name);
    if (!d.Element.empty())
        text += " > " + std::string(d.Element) + " " + IndexText(d);
    return text;
}

std::string DifferenceLine(const Difference& d) {
    if (d.What == Change::Ending)
        return EndingText(d);
    std::string line = PlaceText(d);
    if (!d.Field.empty() && d.What != Change::Bytes)
        line += ": " + d.Field;
    switch (d.What) {
    case Change::Changed:
        return line + ": " + d.ValueA + " -> " + d.ValueB;
    case Change::Added:
        return line + ": added" + (d.ValueB.empty() ? "" : ": " + d.ValueB);
    case Change::Removed:
        return line + ": removed" + (d.ValueA.empty() ? "" : ": " + d.ValueA);
    case Change::Bytes:
        return line + ": " + BytesText(d);
    case Change::Note:
        return line + ": " + d.ValueA;
    case Change::Ending:
        break;
    }
    return line;
}

std::string DifferenceJson(const Difference& d) {
    std::string j = "{\"kind\": " + Quoted(KindName(d.What));
    if (d.What == Change::Ending) {
        j += ", \"file\": " + Quoted(std::string(1, d.File)) + ", \"ending\": " + Quoted(d.Field) +
             ", \"offset\": " + std::to_string(d.File == 'A' ? d.OffsetA : d.OffsetB) +
             ", \"fileSize\": " + std::to_string(d.Count) + ", \"text\": " + Quoted(EndingText(d)) + "}";
        return j;
    }
    j += ", \"chunk\": " + Quoted(ChunkName(d));
    if (d.Room >= 0)
        j += ", \"room\": " + std::to_string(d.Room);
    if (d.Part != Piece::Records)
        j += ", \"part\": " + Quoted(InfoOf(d.Part).Name);
    if (!d.Element.empty())
        j += ", \"element\": " + Quoted(d.Element);
    if (d.IndexA >= 0)
        j += ", \"a\": " + std::to_string(d.IndexA);
    if (d.IndexB >= 0)
        j += ", \"b\": " + std::to_string(d.IndexB);
    if (!d.Field.empty())
        j += ", \"field\": " + Quoted(d.Field);
    if (!d.Values.empty()) {
        // An added or removed record: its fields as an object, decimal values as numbers.
        j += ", \"values\": {";
        for (size_t i = 0; i < d.Values.size(); ++i) {
            const FieldText& v = d.Values[i];
            j += (i ? ", " : "") + Quoted(v.Name) + ": " +
                 (v.Value.starts_with("0x") ? Quoted(v.Value) : v.Value);
        }
        j += "}";
    } else {
        if (!d.ValueA.empty())
            j += ", \"valueA\": " + Quoted(d.ValueA);
        if (!d.ValueB.empty())
            j += ", \"valueB\": " + Quoted(d.ValueB);
    }
    if (d.What == Change::Bytes) {
        j += ", \"bytes\": " + std::to_string(d.Count) + ", \"runs\": [";
        for (size_t i = 0; i < d.Runs.size(); ++i)
            j += (i ? ", [" : "[") + std::to_string(d.Runs[i].Offset) + ", " +
                 std::to_string(d.Runs[i].Length) + "]";
        j += "], \"runCount\": " + std::to_string(d.RunCount);
    }
    if (d.OffsetA >= 0)
        j += ", \"offsetA\": " + std::to_string(d.OffsetA);
    if (d.OffsetB >= 0)
        j += ", \"offsetB\": " + std::to_string(d.OffsetB);
    return j + "}";
}

void DifferenceStats::Add(const Difference& d) {
    if (d.What == Change::Ending || d.What == Change::Note)
        return;
    const bool again = hasLast_ && SamePlace(last_, d);
    last_ = d;
    hasLast_ = true;
    if (again)
        return;
    const std::string chunk = ChunkName(d);
    auto row = rows_.begin();
    while (row != rows_.end() && row->Chunk != chunk)
        ++row;
    if (row == rows_.end())
        row = rows_.insert(rows_.end(), ChunkStat{chunk});
    (d.What == Change::Added ? row->Added : d.What == Change::Removed ? row->Removed : row->Changed) += 1;
}

std::string DifferenceStats::Line(const ChunkStat& row) {
    return row.Chunk + ": " + Grouped(row.Changed) + " changed, " + Grouped(row.Added) + " added, " +
           Grouped(row.Removed) + " removed";
}

std::string DifferenceStats::Json(const ChunkStat& row) {
    return "{\"chunk\": " + Quoted(row.Chunk) + ", \"changed\": " + std::to_string(row.Changed) +
           ", \"added\": " + std::to_string(row.Added) + ", \"removed\": " + std::to_string(row.Removed) +
           "}";
}

} // namespace compare
