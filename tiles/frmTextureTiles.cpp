#include "tiles/frmTextureTiles.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "tiles/TileLoader.h"
#include "widgets/CenterForm.h"
#include "widgets/Twips.h"

frmTextureTiles::frmTextureTiles(std::filesystem::path tileFolder, QWidget* parent)
    : QDialog(parent), tileFolder_(std::move(tileFolder)) {
    setObjectName(QStringLiteral("frmTextureTiles"));
    setFixedSize(TwipSize(5565, 4050));
    UseLayoutFont(*this);

    pctTile_ = new QLabel(this);
    pctTile_->setObjectName(QStringLiteral("pctTile"));
    pctTile_->setGeometry(TwipRect(60, 60, 3915, 3915));
    pctTile_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pctTile_->setAlignment(Qt::AlignCenter);
    pctTile_->setWordWrap(true);

    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblTileNo"));
    label->move(TwipsToPixels(4260), TwipsToPixels(60));

    cboTileNo_ = new QComboBox(this);
    cboTileNo_->setObjectName(QStringLiteral("cboTileNo"));
    cboTileNo_->setGeometry(TwipsToPixels(4200), TwipsToPixels(300), TwipsToPixels(1215),
                            cboTileNo_->sizeHint().height());
    label->setBuddy(cboTileNo_);
    connect(cboTileNo_, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (position >= 0)
            ShowTile(position + 1);
    });

    auto* done = new QPushButton(this);
    done->setObjectName(QStringLiteral("cmdDone"));
    done->setGeometry(TwipRect(4200, 3600, 1215, 375));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    CenterForm(*this);
    setWindowTitle(QStringLiteral("Texture Tiles Viewer"));
    label->setText(QStringLiteral("Tile No..."));
    label->adjustSize();
    done->setText(QStringLiteral("Done"));
}

void frmTextureTiles::Init(int32_t lngNumTextTiles) {
    tileCount_ = lngNumTextTiles;
    noTiles_ = lngNumTextTiles == 0;
}

void frmTextureTiles::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Activate();
}

void frmTextureTiles::Activate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    cboTileNo_->clear();
    if (!noTiles_)
        imlTiles8_ = LoadTileImages(tileFolder_, tileCount_);
    // The list holds one entry per tile found: a tile folder with fewer files than the count ends the
    // list at the last file, and an empty list is disabled.
    cboTileNo_->setEnabled(!imlTiles8_.isEmpty());
    for (int n = 1; n <= imlTiles8_.size(); ++n)
        cboTileNo_->addItem(QString::number(n));
    if (!imlTiles8_.isEmpty()) {
        cboTileNo_->setCurrentIndex(0);
        return;
    }
    // An empty window says why it is empty.
    const QString folder = QString::fromStdString(tileFolder_.string());
    std::error_code ec;
    if (!exportProblem_.isEmpty())
        emptyReason_ = exportProblem_;
    else if (noTiles_ || tileCount_ < 0)
        emptyReason_ = QStringLiteral("The last walk found no texture tiles to export.");
    else if (!std::filesystem::is_directory(tileFolder_, ec))
        emptyReason_ = QStringLiteral("The tile folder %1 does not exist.").arg(folder);
    else
        emptyReason_ = QStringLiteral("%1 is missing or not a bitmap.")
                           .arg(QString::fromStdString(TileFilePath(tileFolder_, 1).string()));
    pctTile_->setText(emptyReason_);
}

void frmTextureTiles::ShowTile(int n) {
    if (n < 1 || n > imlTiles8_.size())
        return;
    pctTile_->setPixmap(QPixmap::fromImage(imlTiles8_[n - 1]));
}
