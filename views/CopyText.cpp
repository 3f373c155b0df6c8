#include "views/CopyText.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QCoreApplication>
#include <QLocale>

#include "format/WalkMap.h"

namespace {

constexpr int kBytesPerLine = 16;
constexpr char kDigits[] = "0123456789ABCDEF";

void AppendByte(QString& out, uint8_t b) {
    out += QLatin1Char(kDigits[b >> 4]);
    out += QLatin1Char(kDigits[b & 0xF]);
}

bool SameBytes(const LineBytes& a, const LineBytes& b) {
    return a.Span == b.Span && a.Record == b.Record && a.First == b.First && a.End == b.End;
}

// The lines of text whose numbers are listed (sorted, distinct), as the text has them.
QString LinesOf(std::string_view text, const std::vector<int32_t>& wanted) {
    QString out;
    size_t at = 0;
    int32_t line = 0;
    for (int32_t w : wanted) {
        for (; line < w && at < text.size(); ++line) {
            const void* stop = std::memchr(text.data() + at, '\n', text.size() - at);
            at = stop ? static_cast<size_t>(static_cast<const char*>(stop) - text.data()) + 1 : text.size();
        }
        if (at >= text.size())
            break;
        const void* stop = std::memchr(text.data() + at, '\n', text.size() - at);
        const size_t next =
            stop ? static_cast<size_t>(static_cast<const char*>(stop) - text.data()) + 1 : text.size();
        out += QString::fromUtf8(text.data() + at, static_cast<qsizetype>(next - at));
        at = next;
        ++line;
    }
    return out;
}

CopiedText Refused(const QString& why) {
    return {.Text = {}, .Refusal = why};
}

} // namespace

QString HexText(std::span<const uint8_t> bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size() * 3));
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(i % kBytesPerLine == 0 ? '\n' : ' ');
        AppendByte(out, bytes[i]);
    }
    return out;
}

QString CArrayText(std::span<const uint8_t> bytes) {
    QString out = QStringLiteral("const unsigned char data[%1] = {").arg(bytes.size());
    const bool wrapped = bytes.size() > kBytesPerLine;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (wrapped && i % kBytesPerLine == 0)
            out += i == 0 ? QStringLiteral("\n    ") : QStringLiteral(",\n    ");
        else if (i > 0)
            out += QStringLiteral(", ");
        out += QStringLiteral("0x");
        AppendByte(out, bytes[i]);
    }
    out += wrapped ? QStringLiteral(",\n};") : QStringLiteral("};");
    return out;
}

QString ReportLinesText(const WalkMap& map, std::string_view report, int64_t first, int64_t end) {
    std::vector<int32_t> lines;
    int32_t last = -1;
    for (int64_t offset = first; offset < end; ++offset) {
        const int32_t line = map.LineAt(offset);
        if (line < 0 || line == last)
            continue;
        last = line;
        lines.push_back(line);
        const LineBytes bytes = map.BytesOfLine(line);
        for (int32_t next = line + 1; next < map.LineCount() && SameBytes(map.BytesOfLine(next), bytes);
             ++next)
            lines.push_back(next);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return LinesOf(report, lines);
}

CopiedText CopyBytes(CopyFormat format, std::span<const uint8_t> level, const WalkMap& map,
                     std::string_view report, int64_t first, int64_t end) {
    first = std::max<int64_t>(first, 0);
    end = std::min<int64_t>(end, static_cast<int64_t>(level.size()));
    if (end <= first)
        return Refused(QCoreApplication::translate("CopyText", "No bytes are selected to copy."));
    if (end - first > kMaxCopyBytes) {
        const QLocale locale;
        return Refused(QCoreApplication::translate(
                           "CopyText", "The selection holds %1 bytes, more than the %2 that can be copied.")
                           .arg(locale.toString(static_cast<qlonglong>(end - first)),
                                locale.toString(static_cast<qlonglong>(kMaxCopyBytes))));
    }
    const std::span<const uint8_t> bytes =
        level.subspan(static_cast<size_t>(first), static_cast<size_t>(end - first));
    switch (format) {
    case CopyFormat::HexText:
        return {.Text = HexText(bytes), .Refusal = {}};
    case CopyFormat::CArray:
        return {.Text = CArrayText(bytes), .Refusal = {}};
    case CopyFormat::ReportLines: {
        CopiedText out{.Text = ReportLinesText(map, report, first, end), .Refusal = {}};
        if (out.Text.isEmpty())
            out.Refusal =
                QCoreApplication::translate("CopyText", "No report line describes the selected bytes.");
        return out;
    }
    }
    return Refused({});
}
