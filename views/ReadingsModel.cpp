#include "views/ReadingsModel.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

#include "format/Colours.h"
#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/LevelFile.h"
#include "format/LevelFormat.h"
#include "format/WalkMap.h"
#include "palette/ColourRecords.h"
#include "report/AppState.h"
#include "views/OffsetText.h"

namespace readings {

namespace {

// The first n bytes as one unsigned number, in the order asked for.
uint64_t Unsigned(std::span<const uint8_t> bytes, int n, bool bigEndian) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
        const uint8_t b = bytes[static_cast<size_t>(bigEndian ? i : n - 1 - i)];
        v = (v << 8) | b;
    }
    return v;
}

template <class Float> QString FloatText(Float f) {
    if (std::isnan(f))
        return QStringLiteral("NaN");
    if (std::isinf(f))
        return f < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, f).ptr;
    return QString::fromLatin1(text, end - text);
}

QString ColourName(QColor c) {
    return c.name(QColor::HexRgb).toUpper();
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

int BytesOf(Reading r) {
    switch (r) {
    case Reading::U8:
    case Reading::S8:
    case Reading::Hex:
    case Reading::Binary:
    case Reading::PaletteIndex:
        return 1;
    case Reading::U16:
    case Reading::S16:
    case Reading::Colour16:
        return 2;
    case Reading::U32:
    case Reading::S32:
    case Reading::F32:
        return 4;
    case Reading::U64:
    case Reading::S64:
    case Reading::F64:
        return 8;
    }
    return 1;
}

QString NameOf(Reading r) {
    switch (r) {
    case Reading::U8:
        return QStringLiteral("u8");
    case Reading::S8:
        return QStringLiteral("s8");
    case Reading::U16:
        return QStringLiteral("u16");
    case Reading::S16:
        return QStringLiteral("s16");
    case Reading::U32:
        return QStringLiteral("u32");
    case Reading::S32:
        return QStringLiteral("s32");
    case Reading::U64:
        return QStringLiteral("u64");
    case Reading::S64:
        return QStringLiteral("s64");
    case Reading::F32:
        return QStringLiteral("f32");
    case Reading::F64:
        return QStringLiteral("f64");
    case Reading::Hex:
        return QStringLiteral("Hex");
    case Reading::Binary:
        return QStringLiteral("Binary");
    case Reading::Colour16:
        return QStringLiteral("Colour 5-5-5");
    case Reading::PaletteIndex:
        return QStringLiteral("Palette index");
    }
    return {};
}

uint8_t PaletteComponent(uint8_t sixBits) {
    return format::PaletteComponent(sixBits);
}

QColor Colour555(uint16_t word) {
    const format::Rgba c = format::Colour555(word);
    return QColor(c.R, c.G, c.B, c.A);
}

std::optional<Palette> Palette8Of(const AppState& state) {
    Palette out{};
    const CSmartArray* store = state.Palette8Colours.get();
    if (state.PalettesLoaded && store && store->NumberOfItemInArray() >= 256) {
        for (int i = 0; i < 256; ++i) {
            const auto c = store->ObjectAt<C_udtCol8>(i + 1);
            if (!c)
                return std::nullopt;
            out[static_cast<size_t>(i)] = qRgb(c->GetR(), c->GetG(), c->GetB());
        }
        return out;
    }
    const LevelFile* level = state.Level.get();
    if (!level || level->Size() < format::kPalette8At + format::kPalette8Bytes)
        return std::nullopt;
    for (int i = 0; i < 256; ++i) {
        const int64_t at = format::kPalette8At + int64_t{i} * 3;
        out[static_cast<size_t>(i)] =
            qRgb(PaletteComponent(level->U8(at)), PaletteComponent(level->U8(at + 1)),
                 PaletteComponent(level->U8(at + 2)));
    }
    return out;
}

std::vector<Row> Read(std::span<const uint8_t> bytes, bool bigEndian, const Palette* palette) {
    std::vector<Row> rows;
    rows.reserve(kReadings);
    const int have = static_cast<int>(std::min<size_t>(bytes.size(), 8));
    for (int k = 0; k < kReadings; ++k) {
        Row row;
        row.What = static_cast<Reading>(k);
        const int n = BytesOf(row.What);
        row.Complete = n <= have;
        if (!row.Complete) {
            row.Value = QStringLiteral("past the end of the file (%1 of %2 bytes)").arg(have).arg(n);
            rows.push_back(row);
            continue;
        }
        const uint64_t v = Unsigned(bytes, n, bigEndian);
        switch (row.What) {
        case Reading::U8:
        case Reading::U16:
        case Reading::U32:
        case Reading::U64:
            row.Value = QString::number(v);
            break;
        case Reading::S8:
            row.Value = QString::number(static_cast<int8_t>(v));
            break;
        case Reading::S16:
            row.Value = QString::number(static_cast<int16_t>(v));
            break;
        case Reading::S32:
            row.Value = QString::number(static_cast<int32_t>(v));
            break;
        case Reading::S64:
            row.Value = QString::number(static_cast<qint64>(v));
            break;
        case Reading::F32:
            row.Value = FloatText(std::bit_cast<float>(static_cast<uint32_t>(v)));
            break;
        case Reading::F64:
            row.Value = FloatText(std::bit_cast<double>(v));
            break;
        case Reading::Hex:
            row.Value = QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
            break;
        case Reading::Binary:
            row.Value = QStringLiteral("%1").arg(v, 8, 2, QLatin1Char('0'));
            break;
        case Reading::Colour16: {
            const auto word = static_cast<uint16_t>(v);
            row.Swatch = Colour555(word);
            row.Value = QStringLiteral("A%1 R%2 G%3 B%4 (%5)")
                            .arg(word >> 15)
                            .arg((word >> 10) & 31)
                            .arg((word >> 5) & 31)
                            .arg(word & 31)
                            .arg(ColourName(row.Swatch));
            break;
        }
        case Reading::PaletteIndex:
            if (palette) {
                row.Swatch = QColor::fromRgb((*palette)[static_cast<size_t>(v)]);
                row.Value = QStringLiteral("%1 (%2)").arg(v).arg(ColourName(row.Swatch));
            } else {
                row.Value = QStringLiteral("%1 (no palette)").arg(v);
            }
            break;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<Row> ReadAt(const LevelFile& level, int64_t offset, bool bigEndian, const Palette* palette) {
    std::span<const uint8_t> bytes;
    if (offset >= 0 && offset < level.Size())
        bytes = level.Bytes().subspan(static_cast<size_t>(offset),
                                      static_cast<size_t>(std::min<int64_t>(8, level.Size() - offset)));
    return Read(bytes, bigEndian, palette);
}

std::optional<FieldHere> FieldAt(const WalkMap& map, const LevelFile& level, int64_t offset) {
    const int32_t found = map.SpanAt(offset);
    if (found < 0)
        return std::nullopt;
    const Span& s = map[found];
    if (s.CountWidth > 0 && offset < s.First + s.CountWidth) {
        FieldHere count;
        count.Name = Text(s.Name()) + QStringLiteral(" count");
        count.Value = QString::number(s.Count);
        count.Place = Text(s.Name());
        count.First = s.First;
        count.Bytes = s.CountWidth;
        return count;
    }
    const format::Record* record = s.Record();
    if (!record || record->Size <= 0)
        return std::nullopt;
    // A run starts at its first record; a chunk or part with records holds them behind its count.
    const int64_t first = s.First + s.CountWidth;
    const int64_t index = (offset - first) / record->Size;
    const int64_t at = first + index * record->Size;
    const int64_t rel = offset - at;
    const auto g = static_cast<format::Generation>(map.Generation());
    for (const format::Field& f : record->Fields) {
        if (f.Type == format::Width::None || f.How == format::Shown::Absent)
            continue;
        for (int rep = 0; rep < f.Repeat; ++rep) {
            const int64_t start = f.Offset + int64_t{rep} * f.Stride;
            const int32_t width = format::FieldBytes(f.Type);
            if (rel < start || rel >= start + width)
                continue;
            FieldHere here;
            here.Name = QString::fromStdString(format::FieldName(f, rep));
            here.Value = QString::fromStdString(format::FieldText(f, FieldValue(level, f, at, g, rep)));
            here.Place =
                QStringLiteral("%1 No %2 at %3").arg(Text(record->Name)).arg(index).arg(HexOffset(at));
            here.First = at + start;
            here.Bytes = width;
            return here;
        }
    }
    return std::nullopt;
}

} // namespace readings
