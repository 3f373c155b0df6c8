#pragma once
// The walk cursor: the level bytes, the signed 32-bit running offset (every move checked), the format
// generation, the detail options and the report writer. Every chunk unit reads and writes through it.
#include <cstdint>
#include <string_view>

#include "engine/AppState.h"
#include "engine/Fault.h"
#include "engine/LevelFile.h"
#include "engine/ReportLimit.h"
#include "engine/ReportLine.h"
#include "engine/ReportText.h"

class Walk {
public:
    Walk(AppState& state, const LevelFile& level, int16_t generation, int32_t startOffset)
        : State(state), Level(level), Generation(generation), Offset(startOffset),
          reportLimit_(ReportByteLimit(level.FileLength(), state.ReportFixedBytes)) {}

    AppState& State;
    const LevelFile& Level;
    const int16_t Generation;
    int32_t Offset; // running offset: the next unread field

    bool IsDM3() const { return Generation == 3; }
    bool Option(int index) const { return State.DetailOptions.On(index); }

    // Reads of the level bytes at an absolute offset; 0 past the end or at a negative offset.
    uint8_t U8(int32_t at) const { return Level.U8(at); }
    int16_t S16(int32_t at) const { return Level.S16(at); }
    uint16_t U16(int32_t at) const { return Level.U16(at); }
    int32_t S32(int32_t at) const { return Level.S32(at); }
    // Fields that are read as the by-path readers read them: unsigned, and -99 at a negative offset.
    int64_t PathByte(int32_t at) const { return at < 0 ? -99 : Level.U8(at); }
    int64_t PathWord(int32_t at) const { return at < 0 ? -99 : Level.U16(at); }
    int64_t PathDWord(int32_t at) const { return at < 0 ? -99 : static_cast<int64_t>(Level.U32(at)); }

    void Advance(int32_t bytes) { Offset = checkedAdd32(Offset, bytes); }
    // Advances count x size bytes, the product and the sum both checked 32-bit.
    void Skip(int32_t count, int32_t size) { Advance(checkedMul32(count, size)); }

    // Writing. Lines are built in one reused buffer and appended to the pane.
    void Separator() { AppendSeparatorLine(State.Report); }
    void Blank() { AppendBlankLine(State.Report); }
    void Plain(std::string_view text) { AppendReportLine(text, State.Report); }
    // Starts an offset line (or record line) at `at`: "0x" + hex + "," + decimal + ",".
    ReportLine& BeginAt(int32_t at) { return line_.Clear().Offset(at); }
    // Starts a line without offset columns.
    ReportLine& Begin() { return line_.Clear(); }
    // The line begun with BeginAt or Begin, for record writers that append its fields.
    ReportLine& Line() { return line_; }
    // Appends the line begun with BeginAt or Begin. Every stretch of the walk ends its lines here, so
    // this is where a report grown past its size limit stops the walk.
    void End() {
        AppendLine(line_, State.Report);
        if (State.Report.Str().size() > reportLimit_)
            RaiseReportLimit();
    }

private:
    ReportLine line_;
    size_t reportLimit_;
};
