#include "ui/frmHelp.h"

#include <QTextEdit>

#include "ui/HelpText.h"
#include "widgets/CenterForm.h"
#include "widgets/Twips.h"

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setFixedSize(TwipSize(9570, 5385));
    rtxHelp_ = new QTextEdit(this);
    rtxHelp_->setObjectName(QStringLiteral("rtxHelp"));
    rtxHelp_->setGeometry(TwipRect(60, 60, 9435, 5235));
    rtxHelp_->setReadOnly(true);
    rtxHelp_->setAcceptRichText(false);

    CenterForm(*this);
    setWindowTitle(QStringLiteral("Level Analyser Help"));
    const std::string text = BuildHelpText() + "\r\n\r\n" + BuildViewerHelpText();
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    rtxHelp_->setPlainText(shown);
}
