#pragma once
// The level file. A regular file of some size is mapped read-only, so a walk touches only the pages it
// reads; a small file is read into memory. Every typed read is bounds-safe: a byte past the end of the
// file, or at a negative offset, reads as 0.
//
// A mapped file that another program cuts shorter while it is mapped does not fault: the pages past
// its new end read as zeros (see MappedBytes.h), as bytes past the end of the file do.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Status numbers of a failed open, as the report run returns them.
inline constexpr int16_t kStatusEmptyOrMissing = 99;
inline constexpr int16_t kStatusPathNotFound = 76;
inline constexpr int16_t kStatusPermissionDenied = 70;
inline constexpr int16_t kStatusPathAccessError = 75;

class LevelFile {
  public:
    LevelFile() = default;
    LevelFile(LevelFile&& other) noexcept { *this = std::move(other); }
    LevelFile& operator=(LevelFile&& other) noexcept;
    LevelFile(const LevelFile&) = delete;
    LevelFile& operator=(const LevelFile&) = delete;
    ~LevelFile() { Release(); }

    // Opens path read-only and maps or reads its bytes. Returns 0, or the status number of the failure:
    // 76 missing folder, 99 missing file in an existing folder, 70 no read permission,
    // 75 a folder or anything else that is not a regular file. Never creates a file.
    int16_t Open(const std::string& path);

    // Builds a level from bytes already in memory (tests, fuzzing).
    static LevelFile FromBytes(std::vector<uint8_t> bytes);

    // Files at least this long are mapped; shorter ones are read.
    static constexpr int64_t kMapFrom = 64 * 1024;

    int64_t Size() const { return size_; }
    // The file's length on disk when it was opened; larger than Size() only for a file beyond the
    // 2 GiB that offsets reach.
    int64_t FileLength() const { return std::max(length_, Size()); }
    std::span<const uint8_t> Bytes() const { return {data_, static_cast<size_t>(size_)}; }
    bool Mapped() const { return mapped_; }

    uint8_t U8(int64_t offset) const {
        return (offset >= 0 && offset < size_) ? data_[static_cast<size_t>(offset)] : 0;
    }
    uint16_t U16(int64_t offset) const { return static_cast<uint16_t>(U8(offset) | (U8(offset + 1) << 8)); }
    int16_t S16(int64_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(int64_t offset) const {
        if (offset >= 0 && offset + 4 <= size_) {
            const uint8_t* p = data_ + offset;
            return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                   (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
        return static_cast<uint32_t>(U16(offset)) | (static_cast<uint32_t>(U16(offset + 2)) << 16);
    }
    int32_t S32(int64_t offset) const { return static_cast<int32_t>(U32(offset)); }

  private:
    void Release();

    std::vector<uint8_t> bytes_; // the bytes of a file that was read, not mapped
    const uint8_t* data_ = nullptr;
    int64_t size_ = 0;
    int64_t length_ = 0;
    bool mapped_ = false;
};
