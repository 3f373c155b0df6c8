#pragma once
// Readers that open a file by its path, read an unsigned value at a 0-based offset and close it again.
// -99 when path is empty, offset is negative or the file cannot be opened. Bytes past the end of the
// file read as 0.
#include <cstdint>
#include <string>

inline constexpr int kReaderFailure = -99;

int16_t ReadByteAt(const std::string& path, int32_t offset, bool littleEndian = true);
int32_t ReadWordAt(const std::string& path, int32_t offset, bool littleEndian = true);
double ReadDWordAt(const std::string& path, int32_t offset, bool littleEndian = true);
