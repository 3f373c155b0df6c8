#pragma once
// The system calls of the output writer, as a table a test may change to make one of them fail (a full
// disk, a failing fsync or rename). The program never changes it.
#include <cstddef>
#include <sys/types.h>

struct OutputSystemCalls {
    ssize_t (*Write)(int descriptor, const void* bytes, size_t count);
    int (*Fsync)(int descriptor);
    int (*Rename)(const char* from, const char* to);
    // Copies up to count bytes from offset *at of from (advancing *at) to to's position, inside the
    // kernel; the writer falls back to reading and writing when this fails with EXDEV, EINVAL, ENOSYS,
    // EOPNOTSUPP or EBADF.
    ssize_t (*Copy)(int from, off_t* at, int to, size_t count);
};

// The table the writer calls through; it starts as the system's own calls.
OutputSystemCalls& OutputSystemCallsForTests();
