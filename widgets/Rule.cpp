#include "widgets/Rule.h"

QFrame* MakeRule(QWidget* parent, const char* name, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameStyle(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette colours = line->palette();
    colours.setColor(QPalette::Window, colour);
    line->setPalette(colours);
    return line;
}
