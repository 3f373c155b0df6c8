#pragma once
// A level read from standard input ("-"): read whole, as the walk needs every byte before it starts.
#include <cstdint>
#include <string>
#include <vector>

// Reads descriptor to its end into bytes, keeping no more than 32-bit offsets reach. "" or the reason
// it could not be read.
std::string ReadWholeInput(int descriptor, std::vector<uint8_t>& bytes);
