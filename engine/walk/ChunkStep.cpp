#include "engine/walk/ChunkStep.h"

namespace {

int32_t ReadCount(Walk& w, CountField field, int32_t& width) {
    switch (field) {
    case CountField::S16:
        width = 2;
        return w.S16(w.Offset);
    case CountField::S16In4Bytes:
        width = 4;
        return w.S16(w.Offset);
    case CountField::S32:
        break;
    }
    width = 4;
    return w.S32(w.Offset);
}

} // namespace

void ListRecords(Walk& w, int32_t n, const ChunkShape& chunk) {
    w.Plain(chunk.Header);
    const int16_t bound = toInt16(n);
    for (int32_t i = 1; i <= bound; ++i) {
        if (chunk.IndexLines)
            w.Begin().Dec(i - 1);
        else
            w.BeginAt(w.Offset).Dec(i - 1);
        chunk.Record(w, w.Offset);
        w.Advance(chunk.RecordSize);
    }
}

int32_t ChunkStep(Walk& w, const ChunkShape& chunk) {
    int32_t width = 4;
    const int32_t at = w.Offset;
    const int32_t n = ReadCount(w, chunk.Count, width);
    const int32_t bytes = checkedMul32(n, chunk.RecordSize);
    w.Separator();
    w.BeginAt(at).Dec(n).Text(chunk.SummaryWord).Dec(bytes).Text(" bytes");
    w.End();
    w.Advance(width);
    if (!w.Option(chunk.Option))
        w.Advance(bytes);
    else if (n > 0)
        ListRecords(w, n, chunk);
    return n;
}
