#include "cli/StandardInput.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "report/OutputFile.h"

std::string ReadWholeInput(int descriptor, std::vector<uint8_t>& bytes) {
    constexpr size_t kAddressableBytes = size_t{1} << 31; // what 32-bit offsets reach
    // A file on the descriptor says its size: the bytes are read into room made once, not grown by doubling.
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(std::min(static_cast<size_t>(info.st_size), kAddressableBytes));
    uint8_t block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(descriptor, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReasonOfError(errno);
        if (n == 0)
            return "";
        const size_t room = kAddressableBytes - bytes.size();
        bytes.insert(bytes.end(), block, block + std::min(static_cast<size_t>(n), room));
    }
}
