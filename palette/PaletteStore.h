#pragma once
// Building the two palette lists from the palette bytes of a level file.
#include <cstdint>
#include <memory>
#include <span>

#include "palette/ColourRecords.h"
#include "support/CSmartArray.h"

// 256 C_udtCol8 records from 768 bytes of 6-bit red, green, blue. A component is stored as
// min(component x 4, 255), so an out-of-range component cannot end the report.
std::shared_ptr<CSmartArray> MakePalette8(std::span<const uint8_t, 768> bytes);

// 256 C_udtCol16 records from 1024 bytes of red, green, blue and a fourth byte, stored unchanged.
std::shared_ptr<CSmartArray> MakePalette16(std::span<const uint8_t, 1024> bytes);
