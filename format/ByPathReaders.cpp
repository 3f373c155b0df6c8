#include "format/ByPathReaders.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <span>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "format/NumberText.h"

namespace {

// Opens path read-only on a handle of its own (the report run may hold the same file open meanwhile),
// fills out from offset on and closes it again. Bytes past the end of the file read as 0. False when the
// path is empty, the offset negative, or the path is not a file that can be opened for reading.
bool ReadBytes(const std::string& path, int32_t offset, std::span<uint8_t> out) {
    if (path.empty() || offset < 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    std::fill(out.begin(), out.end(), uint8_t{0});
    size_t got = 0;
    while (ok && got < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + got, out.size() - got,
                                  static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0; // 0: the end of the file, the rest stays 0
            break;
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    return ok;
}

// The bytes as hex text, most significant first, converted in base 16: the unsigned value of the bytes.
double ValueOfBytes(std::span<const uint8_t> bytes, bool littleEndian) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string text;
    for (size_t k = 0; k < bytes.size(); ++k) {
        const uint8_t b = littleEndian ? bytes[bytes.size() - 1 - k] : bytes[k];
        text += kHex[b >> 4];
        text += kHex[b & 0xF];
    }
    return ConvertBaseNToDec(text, 16);
}

} // namespace

int16_t ReadByteAt(const std::string& path, int32_t offset, bool /*littleEndian: one byte has no order*/) {
    std::array<uint8_t, 1> b{};
    if (!ReadBytes(path, offset, b))
        return kReaderFailure;
    return b[0];
}

int32_t ReadWordAt(const std::string& path, int32_t offset, bool littleEndian) {
    std::array<uint8_t, 2> b{};
    if (!ReadBytes(path, offset, b))
        return kReaderFailure;
    return static_cast<int32_t>(ValueOfBytes(b, littleEndian));
}

double ReadDWordAt(const std::string& path, int32_t offset, bool littleEndian) {
    std::array<uint8_t, 4> b{};
    if (!ReadBytes(path, offset, b))
        return kReaderFailure;
    return ValueOfBytes(b, littleEndian);
}
