#include "ui/frmAbout.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include "ui/AppIcon.h"
#include "widgets/CenterForm.h"
#include "widgets/Twips.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                  const QColor& ink) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(TwipRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, ink);
    label->setPalette(colours);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent, std::unique_ptr<SystemRegistry> registry)
    : QDialog(parent), registry_(std::move(registry)) {
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(TwipSize(4770, 4260));
    UseLayoutFont(*this);
    CreateControls();
    CenterForm(*this);
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(kApplicationTitle));
}

void frmAbout::CreateControls() {
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    const QRect picture = TwipRect(120, 60, 3225, 3225);
    picIcon->setGeometry(picture);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(AppPicture(std::min(picture.width(), picture.height())));

    QLabel* title = MakeLabel(this, "lblTitle", QString::fromLatin1(kApplicationTitle),
                              QRect(120, 3360, 4545, 405), QColor(128, 64, 0));
    title->setAutoFillBackground(true);
    QPalette titleColours = title->palette();
    titleColours.setColor(QPalette::Window, QColor(255, 255, 192));
    title->setPalette(titleColours);
    QFont titleFont = title->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    title->setFont(titleFont);

    MakeLabel(this, "lblDescription", QStringLiteral("Are we getting there yet?"),
              QRect(120, 3840, 4545, 330), QColor(255, 0, 0));
    MakeLabel(this, "lblName", QStringLiteral("By the Strata team"), QRect(3420, 60, 1275, 555),
              QColor(255, 0, 0));

    // OK is both the default and the cancel button: Enter presses it, and Escape closes the window too.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(TwipRect(3420, 2460, 1260, 345));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setGeometry(TwipRect(3420, 2880, 1245, 345));
    sysInfo->setAutoDefault(true); // Enter on the focused button runs it instead of pressing OK
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

bool frmAbout::StartSysInfo() {
    const std::string path = FindSysInfoPath(
        *registry_, [](const std::string& file) { return QFileInfo::exists(QString::fromLocal8Bit(file)); });
    if (!path.empty() && QProcess::startDetached(QString::fromLocal8Bit(path), {}))
        return true;
    // Window-modal over the about window, without a wait loop of its own.
    auto* message = new QMessageBox(QMessageBox::NoIcon, windowTitle(),
                                    QStringLiteral("System Information Is Unavailable At This Time"),
                                    QMessageBox::Ok, this);
    message->setObjectName(QStringLiteral("msgSysInfo"));
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->open();
    return false;
}
