#include "views/ByteInfo.h"

#include <vector>

#include <QStringList>

#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/WalkMap.h"
#include "views/OffsetText.h"

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QString SpanName(const Span& s) {
    QString name = QString::fromUtf8(s.Name().data(), static_cast<qsizetype>(s.Name().size()));
    if (s.Kind == SpanKind::Room)
        name += QStringLiteral(" %1").arg(s.Index);
    return name;
}

// The fields of a record that hold byte `rel` of it, with the value each shows.
QStringList FieldsAt(const LevelFile& level, const format::Record& record, int64_t recordAt, int64_t rel,
                     format::Generation g) {
    QStringList out;
    for (const format::Field& f : record.Fields) {
        if (f.Type == format::Width::None || f.How == format::Shown::Absent)
            continue;
        for (int rep = 0; rep < f.Repeat; ++rep) {
            const int64_t start = f.Offset + int64_t{rep} * f.Stride;
            if (rel < start || rel >= start + format::FieldBytes(f.Type))
                continue;
            const int64_t value = FieldValue(level, f, recordAt, g, rep);
            out << QStringLiteral("%1 = %2").arg(Text(format::FieldName(f, rep)),
                                                 Text(format::FieldText(f, value)));
        }
    }
    return out;
}

} // namespace

QString DescribeByte(const WalkMap& map, const LevelFile& level, int64_t offset) {
    QStringList lines;
    lines << QStringLiteral("Byte %1 (%2): %3")
                 .arg(HexOffset(offset))
                 .arg(offset)
                 .arg(QStringLiteral("%1").arg(level.U8(offset), 2, 16, QLatin1Char('0')).toUpper());
    const int32_t found = map.SpanAt(offset);
    if (found < 0) {
        if (offset >= map.EndOffset() && map.Ending() != WalkEnding::None)
            lines << QStringLiteral("Not reached: the walk ended at %1").arg(HexOffset(map.EndOffset()));
        else if (offset < format::kVersionWordBytes)
            lines << QStringLiteral("Version word");
        else
            lines << QStringLiteral("In no chunk: a gap the walk stepped over");
        return lines.join(QLatin1Char('\n'));
    }
    std::vector<int32_t> path;
    for (int32_t i = found; i >= 0; i = map[i].Parent)
        path.insert(path.begin(), i);
    QStringList names;
    for (int32_t i : path)
        names << SpanName(map[i]);
    lines << names.join(QStringLiteral(" > "));
    const Span& s = map[found];
    const auto g = static_cast<format::Generation>(map.Generation());
    if (s.CountWidth > 0 && offset < s.First + s.CountWidth) {
        lines << QStringLiteral("Count field: %1").arg(s.Count);
    } else if (const format::Record* record = s.Record(); record && record->Size > 0) {
        // A run starts at its first record; a chunk or part with records holds them behind its count.
        const int64_t first = s.First + s.CountWidth;
        const int64_t index = (offset - first) / record->Size;
        const int64_t at = first + index * record->Size;
        if (s.Kind == SpanKind::Run)
            lines << QStringLiteral("%1 No %2 at %3")
                         .arg(QString::fromUtf8(record->Name.data(),
                                                static_cast<qsizetype>(record->Name.size())))
                         .arg(index)
                         .arg(HexOffset(at));
        lines << FieldsAt(level, *record, at, offset - at, g);
    }
    if (s.Has(Span::Cut))
        lines << QStringLiteral("The walk ended inside it");
    if (s.Has(Span::PastEnd))
        lines << QStringLiteral("It reaches past the end of the file");
    return lines.join(QLatin1Char('\n'));
}
