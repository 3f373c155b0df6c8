#pragma once
// How large a report may grow before the walk stops.
//
// A walk that only moves forward writes at most 33 bytes of report per byte of the level file (a
// one-byte demo data record or a DM3 floor word, each on a line of its own), plus about 56 MB for 32767
// rooms read past the end of a cut file. Negative counts step the running offset back, though, so a
// crafted file can send room after room over the same bytes and list them again each time: a few
// kilobytes could ask for gigabytes of report. The limit doubles both honest figures; only a walk that
// goes over the same bytes again and again comes near it, and it ends there like an overflow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

inline constexpr int64_t kReportBytesPerLevelByte = 64;
inline constexpr int64_t kReportFixedBytes = int64_t{128} << 20;

// The most bytes a report of a level file of fileBytes bytes may hold; a walk whose report has grown
// past it stops after the line that crossed it.
inline size_t ReportByteLimit(int64_t fileBytes, int64_t fixedBytes = kReportFixedBytes) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 2;
    const int64_t perByte = fileBytes > 0 ? std::min(fileBytes, kMax / kReportBytesPerLevelByte) : 0;
    const int64_t limit = perByte * kReportBytesPerLevelByte + std::clamp<int64_t>(fixedBytes, 0, kMax);
    return static_cast<size_t>(std::min<int64_t>(limit, static_cast<int64_t>(SIZE_MAX / 2)));
}
