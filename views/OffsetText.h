#pragma once
// Offsets as a person types them into Go to Offset: "0x1F2C", "1F2Ch" (either case) or decimal "7980",
// blanks around them allowed. The answer is a byte offset, or nothing for text that is no offset.
#include <cstdint>
#include <optional>
#include <string_view>

std::optional<int64_t> ParseOffset(std::string_view text);
