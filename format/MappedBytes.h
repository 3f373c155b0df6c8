#pragma once
// Read-only mappings of level files that survive the file being cut shorter while they are mapped.
//
// Reading a page of a shared file mapping past the file's current end raises SIGBUS. A process-wide
// handler (installed with the first mapping) looks the faulting address up among the live mappings;
// when it lies in one, the handler puts anonymous zero-filled pages over the rest of that mapping from
// the faulting page on and lets the read run again: it reads 0, as a read past the end of the file
// does. A fault anywhere else goes on to the handler that was there before, or ends the process as
// SIGBUS does.
#include <cstddef>
#include <cstdint>

namespace mapped {

// Maps length bytes of fd read-only and private; null when the mapping cannot be made.
const uint8_t* Map(int fd, size_t length);
// Unmaps what Map returned.
void Unmap(const uint8_t* data, size_t length);
// How many times a cut file's pages were replaced by zeros since the program started (for tests).
uint64_t CutFaults();

} // namespace mapped
