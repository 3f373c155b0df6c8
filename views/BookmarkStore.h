#pragma once
// Bookmarks: named, coloured byte ranges of a level, kept per level file in one small JSON file in the
// application's data folder. A level's bookmarks are keyed by its path and the hash of its content, so
// they come back when the same bytes are opened again from the same place, and a file whose content
// changed since does not get them (its offsets would point at other bytes).
#include <QColor>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct Bookmark {
    QString Name;
    QColor Colour;
    int64_t First = 0; // first byte
    int64_t End = 0;   // one past the last byte
};

// The 64-bit XXH3 hash of a level's bytes.
uint64_t ContentHash(std::span<const uint8_t> bytes);

class BookmarkStore {
  public:
    // The store kept in file.
    explicit BookmarkStore(QString file) : file_(std::move(file)) {}
    // bookmarks.json in the application's data folder.
    static QString DefaultFile();

    const QString& File() const { return file_; }
    // The bookmarks kept for the level at path with content hash; none when the file is missing,
    // unreadable or not a store this program wrote.
    std::vector<Bookmark> Load(const QString& path, uint64_t hash) const;
    // Keeps bookmarks as those of the level at path with content hash, beside the other levels' (an
    // empty list forgets the level). The file is written whole or not at all: "" or the reason.
    std::string Save(const QString& path, uint64_t hash, const std::vector<Bookmark>& bookmarks) const;

  private:
    QString file_;
};
