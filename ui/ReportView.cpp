#include "ui/ReportView.h"

#include <QFontDatabase>
#include <QTextCursor>

ReportView::ReportView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setAcceptDrops(false); // a dropped level file belongs to the window, not to the text
    setFont(PaneFont());
}

QFont ReportView::PaneFont() {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Fixedsys"))
                     ? QFont(QStringLiteral("Fixedsys"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

void ReportView::SetReportText(std::string_view text) {
    text_.assign(text);
    // The widget keeps lines apart itself; the "\r\n" stays in the saved bytes only.
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
}

bool ReportView::Find(const QString& needle) {
    if (needle.isEmpty())
        return false;
    if (find(needle))
        return true;
    const QTextCursor kept = textCursor();
    moveCursor(QTextCursor::Start);
    if (find(needle))
        return true;
    setTextCursor(kept);
    return false;
}
