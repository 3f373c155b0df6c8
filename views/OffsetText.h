#pragma once
// Offsets as a person types them into Go to Offset: "0x1F2C", "1F2Ch" (either case) or decimal "7980",
// blanks around them allowed. The answer is a byte offset, or nothing for text that is no offset.
#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

std::optional<int64_t> ParseOffset(std::string_view text);

// An offset as the views show it and the report's offset column writes it: "0x" + upper-case hex
// digits of its low 32 bits, so an offset the walk stepped back to before the file's start reads the
// same in a view as in the report.
QString HexOffset(int64_t offset);
