#include "ui/frmReportDetails.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "widgets/CenterForm.h"
#include "widgets/Twips.h"

namespace {

// Where box i stands, in twips, relative to its frame (the two frames) or to the dialog (the columns).
QRect DetailBoxTwips(int i) {
    const DetailGroup group = kDetailOptionTable[static_cast<size_t>(i)].Group;
    switch (group) {
    case DetailGroup::Graphics:
        return i == optPalettes ? QRect(240, 240, 1035, 255) : QRect(1800, 240, 1335, 255);
    case DetailGroup::Rooms: {
        const int row = (i - optRoomInfo) % 4;
        const int x = i < optRoomSectors ? 240 : 1800;
        return {x, 240 + 300 * row, 1515, 255};
    }
    case DetailGroup::LeftColumn:
        return {300, 2520 + 300 * (i - optFloors), 1515, 255};
    case DetailGroup::RightColumn:
        break;
    }
    const bool wide =
        i == optZones || i == optAnimatedTextures || i == optLightMaps || i == optCinematicFrames;
    return {1860, 2520 + 300 * (i - optCameras), wide ? 1815 : 1515, 255};
}

QRect ToPixels(const QRect& twips) {
    return TwipRect(twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace

frmReportDetails::frmReportDetails(DetailOptionSet& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setObjectName(QStringLiteral("frmReportDetails"));
    setFixedSize(TwipSize(3840, 7425));
    UseLayoutFont(*this);
    CreateControls();
    FitCaptions();
    CenterForm(*this);
    setWindowTitle(QStringLiteral("Detail Level Selection"));
    ShowCurrentOptions();
}

void frmReportDetails::CreateControls() {
    fraGraphics_ = new QGroupBox(QStringLiteral("fraGraphics"), this);
    fraGraphics_->setObjectName(QStringLiteral("fraGraphics"));
    fraGraphics_->setGeometry(TwipRect(60, 60, 3675, 615));
    fraRooms_ = new QGroupBox(QStringLiteral("fraRooms"), this);
    fraRooms_->setObjectName(QStringLiteral("fraRooms"));
    fraRooms_->setGeometry(TwipRect(60, 720, 3675, 1575));

    for (int i = 0; i < kDetailOptionCount; ++i) {
        const DetailOptionInfo& info = kDetailOptionTable[static_cast<size_t>(i)];
        QWidget* holder = info.Group == DetailGroup::Graphics ? fraGraphics_
                          : info.Group == DetailGroup::Rooms  ? fraRooms_
                                                              : static_cast<QWidget*>(this);
        auto* box = new QCheckBox(
            QString::fromUtf8(info.Caption.data(), static_cast<qsizetype>(info.Caption.size())), holder);
        box->setObjectName(QStringLiteral("chkDetails_%1").arg(i));
        box->setProperty("index", i);
        box->setGeometry(ToPixels(DetailBoxTwips(i)));
        chkDetails_[static_cast<size_t>(i)] = box;
    }
    // The rule runs whenever the box changes, from a click or from code, and only then.
    connect(DetailBox(optTextureTiles), &QCheckBox::toggled, this, &frmReportDetails::TextureTilesChanged);

    chkAll_ = new QCheckBox(QStringLiteral("All"), this);
    chkAll_->setObjectName(QStringLiteral("chkAll"));
    chkAll_->setGeometry(TwipRect(300, 7020, 675, 255));
    connect(chkAll_, &QCheckBox::toggled, this, &frmReportDetails::AllChanged);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(TwipRect(1200, 6960, 1215, 375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        WriteOptions();
        accept();
    });

    // Escape rejects the dialog, as a cancel button does. Enter on the focused Cancel presses Cancel
    // (an auto-default button takes Enter while it has the focus); elsewhere Enter presses OK.
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setGeometry(TwipRect(2520, 6960, 1215, 375));
    cancel->setAutoDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// The boxes keep their places; where the platform's font is wider than the one the places were drawn
// for, the dialog's font shrinks until every caption fits its box.
void frmReportDetails::FitCaptions() {
    const auto allFit = [this] {
        for (QCheckBox* box : chkDetails_)
            if (box->sizeHint().width() > box->width())
                return false;
        return true;
    };
    QFont font = this->font();
    while (!allFit() && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        setFont(font);
    }
}

void frmReportDetails::ShowCurrentOptions() {
    for (int i = 0; i < kDetailOptionCount; ++i)
        DetailBox(i)->setChecked(options_.On(i));
    if (AllDetailsSelected(options_))
        chkAll_->setChecked(true);
}

void frmReportDetails::AllChanged(bool checked) {
    for (int i = 0; i < kDetailOptionCount; ++i)
        DetailBox(i)->setChecked(checked);
}

// Tiles are coloured with the palettes, so touching "Texture Tiles" brings "Palettes" back on.
void frmReportDetails::TextureTilesChanged() {
    if (!DetailBox(optPalettes)->isChecked())
        DetailBox(optPalettes)->setChecked(true);
}

void frmReportDetails::WriteOptions() {
    for (int i = 0; i < kDetailOptionCount; ++i)
        options_.Set(i, DetailBox(i)->isChecked());
}
