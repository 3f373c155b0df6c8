#include "widgets/CenterForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "widgets/Twips.h"

QPoint CenteredPositionTwips(QSize screenSize, QSize windowSize) {
    const float left = static_cast<float>(screenSize.width() - windowSize.width()) / 2.0f;
    const float top = static_cast<float>(screenSize.height() - windowSize.height()) / 2.0f;
    return {static_cast<int>(left), static_cast<int>(top)};
}

void CenterForm(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // Before the window is shown its frame is unknown; the frame geometry then equals the widget's own.
    const QSize windowTwips = SizeInTwips(window.frameGeometry().size());
    const QPoint corner = CenteredPositionTwips(SizeInTwips(area.size()), windowTwips);
    window.move(area.topLeft() + QPoint(TwipsToPixels(corner.x()), TwipsToPixels(corner.y())));
}

QPoint PlaceInside(QRect frame, QRect area) {
    QPoint corner = frame.topLeft();
    corner.rx() -= std::max(0, frame.right() - area.right());
    corner.ry() -= std::max(0, frame.bottom() - area.bottom());
    corner.rx() = std::max(corner.x(), area.left());
    corner.ry() = std::max(corner.y(), area.top());
    return corner;
}

void KeepOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen || window.isMaximized() || window.isFullScreen())
        return;
    const QRect frame = window.frameGeometry();
    const QPoint corner = PlaceInside(frame, screen->availableGeometry());
    if (corner != frame.topLeft())
        window.move(window.pos() + (corner - frame.topLeft()));
}
