#include "views/BookmarkStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <xxhash.h>

#include "report/OutputFile.h"

namespace {

constexpr int kVersion = 1;
const QString kVersionKey = QStringLiteral("version");
const QString kLevelsKey = QStringLiteral("levels");
const QString kPathKey = QStringLiteral("path");
const QString kHashKey = QStringLiteral("hash");
const QString kBookmarksKey = QStringLiteral("bookmarks");
const QString kNameKey = QStringLiteral("name");
const QString kColourKey = QStringLiteral("colour");
const QString kFirstKey = QStringLiteral("first");
const QString kEndKey = QStringLiteral("end");

QString HashText(uint64_t hash) {
    return QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0'));
}

// The levels the store holds; empty for a file that is missing or is no store of this version.
QJsonArray ReadLevels(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll());
    if (!doc.isObject() || doc.object().value(kVersionKey).toInt() != kVersion)
        return {};
    return doc.object().value(kLevelsKey).toArray();
}

bool IsLevel(const QJsonValue& level, const QString& path, const QString& hash) {
    const QJsonObject o = level.toObject();
    return o.value(kPathKey).toString() == path && o.value(kHashKey).toString() == hash;
}

} // namespace

uint64_t ContentHash(std::span<const uint8_t> bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

QString BookmarkStore::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/bookmarks.json");
}

std::vector<Bookmark> BookmarkStore::Load(const QString& path, uint64_t hash) const {
    std::vector<Bookmark> bookmarks;
    const QString hashText = HashText(hash);
    for (const QJsonValue& level : ReadLevels(file_)) {
        if (!IsLevel(level, path, hashText))
            continue;
        for (const QJsonValue& value : level.toObject().value(kBookmarksKey).toArray()) {
            const QJsonObject o = value.toObject();
            Bookmark b;
            b.Name = o.value(kNameKey).toString();
            b.Colour = QColor(o.value(kColourKey).toString());
            b.First = static_cast<int64_t>(o.value(kFirstKey).toDouble(-1));
            b.End = static_cast<int64_t>(o.value(kEndKey).toDouble(-1));
            // A hand-edited or damaged entry is skipped, not guessed at.
            if (b.First < 0 || b.End < b.First || !b.Colour.isValid())
                continue;
            bookmarks.push_back(b);
        }
        break;
    }
    return bookmarks;
}

std::string BookmarkStore::Save(const QString& path, uint64_t hash,
                                const std::vector<Bookmark>& bookmarks) const {
    const QString hashText = HashText(hash);
    QJsonArray levels;
    for (const QJsonValue& level : ReadLevels(file_))
        if (!IsLevel(level, path, hashText))
            levels.append(level);
    if (!bookmarks.empty()) {
        QJsonArray list;
        for (const Bookmark& b : bookmarks)
            list.append(QJsonObject{{kNameKey, b.Name},
                                    {kColourKey, b.Colour.name()},
                                    {kFirstKey, static_cast<double>(b.First)},
                                    {kEndKey, static_cast<double>(b.End)}});
        levels.append(QJsonObject{{kPathKey, path}, {kHashKey, hashText}, {kBookmarksKey, list}});
    }
    QDir().mkpath(QFileInfo(file_).absolutePath());
    const QByteArray text = QJsonDocument(QJsonObject{{kVersionKey, kVersion}, {kLevelsKey, levels}})
                                .toJson(QJsonDocument::Indented);
    return WriteOutputFile(file_.toStdString(),
                           std::string_view(text.constData(), static_cast<size_t>(text.size())));
}
