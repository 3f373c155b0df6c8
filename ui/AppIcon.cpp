#include "ui/AppIcon.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPolygonF>

// The icon's SVG is built into the static library strata_ui; the linker keeps its object only when
// something refers to it, so every program that shows the icon registers it here first.
static void RegisterIconResource() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(strata_viewer);
        return true;
    }();
    (void)registered;
}

namespace {

const QString kIconResource = QStringLiteral(":/icons/strata-viewer.svg");

// The SVG when it is there and a reader for it is installed; without either, the drawn picture.
bool CanReadSvg() {
    RegisterIconResource();
    return QFile::exists(kIconResource) && QImageReader::supportedImageFormats().contains("svg");
}

// The picture of strata-viewer.svg on its 64 x 64 grid: three rock layers under a magnifying glass.
QPixmap DrawnPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x23, 0x31, 0x3f));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    const QColor layers[] = {QColor(0xd9, 0xa4, 0x41), QColor(0xb5, 0x56, 0x2e), QColor(0x6f, 0x8f, 0x3a)};
    for (int i = 0; i < 3; ++i) {
        const double y = 24 + 12 * i;
        p.setBrush(layers[i]);
        p.drawPolygon(QPolygonF({QPointF(8, y), QPointF(56, y - 8), QPointF(56, y + 2), QPointF(8, y + 10)}));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(QPointF(22, 16), 8, 8);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(28, 22), QPointF(34, 28));
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    if (CanReadSvg()) {
        QIcon icon(kIconResource);
        if (!icon.pixmap(64, 64).isNull())
            return icon;
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(DrawnPicture(size));
    return icon;
}

QPixmap AppPicture(int size) {
    if (CanReadSvg()) {
        const QPixmap pixmap = QIcon(kIconResource).pixmap(size, size);
        if (!pixmap.isNull())
            return pixmap;
    }
    return DrawnPicture(size);
}
