#include "ui/ElidedLabel.h"

#include <QFontMetrics>
#include <QTextDocument>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    // A long line must not hold the window wider than the user wants it.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The line names files, and a name with tags in it is not markup.
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::SetFullText(const QString& text) {
    fullText_ = text;
    // A tooltip is read as markup when it looks like it; such a line is escaped into markup instead.
    setToolTip(Qt::mightBeRichText(text) ? QStringLiteral("<p style='white-space:pre-wrap'>") +
                                               text.toHtmlEscaped() + QStringLiteral("</p>")
                                         : text);
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
