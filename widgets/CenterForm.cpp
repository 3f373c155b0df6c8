#include "widgets/CenterForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
