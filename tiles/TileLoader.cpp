#include "tiles/TileLoader.h"

#include <QString>

std::filesystem::path TileFilePath(const std::filesystem::path& folder, int32_t n) {
    return folder / ("Tile_" + std::to_string(n) + ".bmp");
}

QList<QImage> LoadTileImages(const std::filesystem::path& folder, int32_t count) {
    QList<QImage> images;
    for (int32_t n = 1; n <= count; ++n) {
        std::error_code ec;
        const std::filesystem::path file = TileFilePath(folder, n);
        if (!std::filesystem::is_regular_file(file, ec))
            break;
        QImage image(QString::fromStdString(file.string()));
        if (image.isNull())
            break;
        images.append(image);
    }
    return images;
}
