#pragma once
// The shape of a fuzz input, shared by the fuzz target and the measuring tool: six option bytes, then
// the level file. The first byte picks the option set (none, all, or mixed from the bits of the next
// five); the bytes behind the six are the level file's.
#include <cstddef>
#include <cstdint>
#include <span>

#include "report/AppState.h"

namespace fuzzinput {

constexpr size_t kOptionBytes = 6;

inline void ApplyOptions(AppState& state, std::span<const uint8_t> input) {
    const uint8_t mode = input.empty() ? 0 : input[0] % 3;
    for (int i = 0; i < kDetailOptionCount; ++i) {
        bool on = mode == 1;
        if (mode == 2) {
            const size_t byte = 1 + static_cast<size_t>(i / 8);
            on = byte < input.size() && ((input[byte] >> (i % 8)) & 1) != 0;
        }
        state.DetailOptions.Set(i, on);
    }
}

inline std::span<const uint8_t> LevelBytes(std::span<const uint8_t> input) {
    return input.size() > kOptionBytes ? input.subspan(kOptionBytes) : std::span<const uint8_t>();
}

} // namespace fuzzinput
