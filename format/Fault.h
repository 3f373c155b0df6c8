#pragma once
// The one fault type of the engine and the checked arithmetic that raises it.
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

inline constexpr int kOverflowFault = 6;

// A fault that ends a walk. Number is the fault's number (6 for an overflow); Offset is the running
// offset where the walk stood, filled in by the walker before the fault leaves it.
class WalkFault : public std::runtime_error {
  public:
    explicit WalkFault(int number, int32_t offset = 0)
        : std::runtime_error("walk fault " + std::to_string(number)), Number(number), Offset(offset) {}
    int Number;
    int32_t Offset;
};

[[noreturn]] inline void RaiseOverflow() {
    throw WalkFault(kOverflowFault);
}

// The report grew past its size limit (set by the report run); 7 is the number of an out-of-memory fault.
inline constexpr int kReportLimitFault = 7;
[[noreturn]] inline void RaiseReportLimit() {
    throw WalkFault(kReportLimitFault);
}

inline int32_t checkedAdd32(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        RaiseOverflow();
    return r;
}

inline int32_t checkedMul32(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        RaiseOverflow();
    return r;
}

// A 16-bit record counter or bound: values outside -32768..32767 are an overflow.
inline int16_t toInt16(int64_t v) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        RaiseOverflow();
    return static_cast<int16_t>(v);
}
