#pragma once
// Temporary folders and files for tests, removed when the test ends.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // Writes bytes to name inside the folder and returns the full path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

  private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadAll(const std::filesystem::path& path);
void WriteFileAt(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Splits a report into its lines (joined by "\r\n").
std::vector<std::string> Lines(std::string_view report);
