#include "ui/ElidedLabel.h"

#include <QFontMetrics>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    // A long line must not hold the window wider than the user wants it.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    Elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    Elide();
}

void ElidedLabel::Elide() {
    const int room = contentsRect().width();
    setText(room > 0 ? fontMetrics().elidedText(fullText_, Qt::ElideMiddle, room) : fullText_);
}
