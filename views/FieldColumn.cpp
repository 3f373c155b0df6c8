#include "views/FieldColumn.h"

#include "format/LevelFormat.h"
#include "format/WalkMap.h"

namespace {

// Column `column` of a comma-separated line, as character positions; nothing past its last column.
std::optional<std::pair<size_t, size_t>> ColumnOf(std::string_view text, size_t column) {
    size_t start = 0;
    for (size_t c = 0; c < column; ++c) {
        const size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            return std::nullopt;
        start = comma + 1;
    }
    const size_t comma = text.find(',', start);
    return std::pair{start, comma == std::string_view::npos ? text.size() : comma};
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The column of the detail header line named name, from the first column after the lead ones.
std::optional<size_t> HeaderColumn(const format::Record& r, std::string_view name) {
    std::string_view header = r.Header;
    for (size_t c = 0;; ++c) {
        const size_t comma = header.find(',');
        if (c >= r.LeadColumns && Trimmed(header.substr(0, comma)) == name)
            return c;
        if (comma == std::string_view::npos)
            return std::nullopt;
        header.remove_prefix(comma + 1);
    }
}

} // namespace

std::optional<std::pair<size_t, size_t>> FieldColumn(const WalkMap& map, int32_t line,
                                                     std::string_view lineText, int64_t first, int64_t end) {
    const int32_t span = map.SpanOfLine(line);
    if (span < 0 || end <= first)
        return std::nullopt;
    const Span& s = map[span];
    const format::Record* r = s.Record();
    if (!r)
        return std::nullopt;
    // The record the line belongs to and which of its lines it is.
    int64_t recordFirst = s.First;
    int32_t lineOfRecord = line - (s.Line + 1);
    if (s.Kind == SpanKind::Run) {
        const int32_t record = map.RecordOfLine(span, line);
        if (record < 0)
            return std::nullopt;
        recordFirst = map.RecordFirst(span, record);
        lineOfRecord = line - map.LineOfRecord(span, record);
    }
    if (lineOfRecord < 0 || lineOfRecord >= r->LinesPerRecord)
        return std::nullopt;
    std::optional<std::pair<size_t, size_t>> marked;
    for (const format::Field& f : r->Fields) {
        if (f.How == format::Shown::Absent || format::FieldBytes(f.Type) != end - first)
            continue;
        // A field of one value stands on the record's first line; repeat k on its line k.
        const int32_t rep = f.Repeat > 1 ? lineOfRecord : 0;
        if ((f.Repeat <= 1 && lineOfRecord != 0) || rep >= f.Repeat)
            continue;
        if (recordFirst + f.Offset + int64_t{rep} * f.Stride != first)
            continue;
        const std::optional<size_t> column = HeaderColumn(*r, f.Name);
        const auto found = column ? ColumnOf(lineText, *column) : std::nullopt;
        if (!found || found->second <= found->first)
            continue;
        marked =
            marked ? std::pair{std::min(marked->first, found->first), std::max(marked->second, found->second)}
                   : *found;
    }
    return marked;
}
