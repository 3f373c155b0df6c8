#include "format/walk/ChunkStep.h"

namespace {

int32_t ReadCount(Walk& w, CountField field, int32_t& width) {
    switch (field) {
    case CountField::S16:
        width = 2;
        return w.S16(w.Offset());
    case CountField::S16In4Bytes:
        width = 4;
        return w.S16(w.Offset());
    case CountField::S32:
        break;
    }
    width = 4;
    return w.S32(w.Offset());
}

} // namespace

void ListRecords(Walk& w, int32_t n, const format::Record& record, RecordWriter write,
                 std::string_view numberPrefix) {
    w.Open(SpanKind::Run, Piece::Records, w.Offset(), 0, &record);
    w.Plain(record.Header);
    const int16_t bound = toInt16(n);
    w.SetCount(bound);
    if (w.LeavesHoles()) {
        w.LeaveHole(bound, record, write, numberPrefix);
        w.Close(bound);
        return;
    }
    const bool indexLines = record.LeadColumns == 1;
    for (int32_t i = 1; i <= bound; ++i) {
        if (indexLines)
            w.Begin().Dec(i - 1);
        else if (numberPrefix.empty())
            w.BeginAt(w.Offset()).Dec(i - 1);
        else
            w.BeginAt(w.Offset()).Text(numberPrefix).Dec(i - 1);
        write(w, w.Offset());
        w.Advance(record.Size);
    }
    w.Close(bound);
}

void WriteRecords(Walk& w, const RunHole& run, int32_t first, int32_t count) {
    const format::Record& record = *run.Record;
    const bool indexLines = record.LeadColumns == 1;
    for (int32_t i = first; i < first + count; ++i) {
        const auto at = static_cast<int32_t>(run.First + int64_t{i} * record.Size);
        if (indexLines)
            w.Begin().Dec(i);
        else
            w.BeginAt(at).Text(run.NumberPrefix).Dec(i);
        run.Write(w, at);
    }
}

ChunkCount SummariseChunk(Walk& w, Piece what, std::string_view word, int32_t unitSize, CountField field,
                          const format::Record* record) {
    int32_t width = 4;
    const int32_t at = w.Offset();
    const int32_t n = ReadCount(w, field, width);
    // The separator stands before the byte figure is worked out, so an overflow there leaves it.
    w.Separator();
    w.Open(w.PartOrChunk(), what, at, static_cast<uint8_t>(width), record);
    w.SetCount(n);
    const int32_t bytes = checkedMul32(n, unitSize);
    w.BeginAt(at).Dec(n).Text(word).Dec(bytes).Text(" bytes");
    w.End();
    w.Advance(width);
    return {n, bytes};
}

int32_t ChunkStep(Walk& w, const ChunkShape& chunk) {
    return ChunkStep(w, chunk, w.Option(chunk.Option));
}

int32_t ChunkStep(Walk& w, const ChunkShape& chunk, bool listed) {
    const ChunkCount count =
        SummariseChunk(w, chunk.What, chunk.SummaryWord, chunk.Record->Size, chunk.Count, chunk.Record);
    if (listed && count.N > 0)
        ListRecords(w, count.N, chunk);
    else if (!listed || chunk.StepOverUnlisted)
        w.Advance(count.Bytes);
    w.Close(count.N);
    return count.N;
}
