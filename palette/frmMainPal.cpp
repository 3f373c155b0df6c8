#include "palette/frmMainPal.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "palette/PaletteText.h"
#include "palette/frmViewPalette.h"
#include "widgets/CenterForm.h"
#include "widgets/Rule.h"
#include "widgets/Twips.h"

namespace {

constexpr const char* kCaption8 = "8 bits Palette, 256 colors";
constexpr const char* kCaption16 = "16 bits Palette, limited to 256 colors";

void FillWhite(QWidget* widget) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, Qt::white);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

void SetSwatchColour(QFrame* swatch, const QColor& colour) {
    QPalette colours = swatch->palette();
    colours.setColor(QPalette::Window, colour);
    swatch->setPalette(colours);
}

// 16 rows of 16 swatches, 255 twips square, 240 apart: neighbours share their border line.
QFrame* MakeSwatch(QWidget* frame, const QString& prefix, int k) {
    auto* swatch = new QFrame(frame);
    swatch->setObjectName(prefix + QString::number(k));
    swatch->setProperty("index", k);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setLineWidth(1);
    swatch->setAutoFillBackground(true);
    swatch->setGeometry(TwipRect(180 + 240 * (k % 16), 360 + 240 * (k / 16), 255, 255));
    SetSwatchColour(swatch, frmMainPal::PlaceholderColour());
    return swatch;
}

QFrame* MakeLine(QWidget* parent, const char* name, int y, int thickness, const QColor& colour) {
    QFrame* line = MakeRule(parent, name, colour);
    line->setGeometry(0, TwipsToPixels(y), parent->width(), thickness);
    return line;
}

} // namespace

frmMainPal::frmMainPal(std::shared_ptr<const CSmartArray> palette8,
                       std::shared_ptr<const CSmartArray> palette16, QWidget* parent)
    : QDialog(parent), palette8_(std::move(palette8)), palette16_(std::move(palette16)) {
    setObjectName(QStringLiteral("frmMainPal"));
    FillWhite(this);
    UseLayoutFont(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    CreateMenus(layout);
    CreateCanvas(layout);
    layout->activate();
    CenterForm(*this);
    PaintSwatches();
    SetCaptions();
}

void frmMainPal::CreateMenus(QVBoxLayout* layout) {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("mnuPalBar"));
    layout->setMenuBar(bar);
    // The window has nothing else to focus, so after a menu chosen by keys the focus stays on the bar,
    // which would swallow Escape; Escape there closes the window unless a menu title is highlighted.
    bar->installEventFilter(this);
    menuBar_ = bar;

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    // Saving a palette as binary was never supported: the item is there, and does nothing.
    file->addAction(QStringLiteral("Save &As Binary..."))
        ->setObjectName(QStringLiteral("mnuFileSaveAsBinary"));

    mnuViewPalette_ = bar->addMenu(QStringLiteral("View &Palette"));
    mnuViewPalette_->setObjectName(QStringLiteral("mnuViewPalette"));
    QAction* show8 = mnuViewPalette_->addAction(QStringLiteral("&8 bits Palette"));
    show8->setObjectName(QStringLiteral("mnuViewPalette8"));
    QAction* show16 = mnuViewPalette_->addAction(QStringLiteral("1&6 bits Palette"));
    show16->setObjectName(QStringLiteral("mnuViewPalette16"));
    connect(show8, &QAction::triggered, this, [this] { ShowColourList(8); });
    connect(show16, &QAction::triggered, this, [this] { ShowColourList(16); });
    // Nothing to list until the swatches are painted.
    mnuViewPalette_->menuAction()->setEnabled(false);
    show8->setEnabled(false);
    show16->setEnabled(false);
}

void frmMainPal::CreateCanvas(QVBoxLayout* layout) {
    auto* canvas = new QWidget(this);
    canvas->setObjectName(QStringLiteral("palCanvas"));
    canvas->setFixedSize(TwipSize(8880 - kMenuFrameWidthTwips, 5400 - kMenuFrameHeightTwips));
    FillWhite(canvas);
    layout->addWidget(canvas);

    MakeLine(canvas, "Line1", 0, 1, QColor(128, 128, 128));
    MakeLine(canvas, "Line2", 30, 2, Qt::white);

    fra8bits_ = new QGroupBox(QString::fromLatin1(kCaption8), canvas);
    fra8bits_->setObjectName(QStringLiteral("fra8bits"));
    fra8bits_->setGeometry(TwipRect(120, 180, 4215, 4395));
    FillWhite(fra8bits_);
    fra16bits_ = new QGroupBox(QString::fromLatin1(kCaption16), canvas);
    fra16bits_->setObjectName(QStringLiteral("fra16bits"));
    fra16bits_->setGeometry(TwipRect(4440, 180, 4215, 4395));
    FillWhite(fra16bits_);

    for (int k = 0; k < 256; ++k) {
        c8_[static_cast<size_t>(k)] = MakeSwatch(fra8bits_, QStringLiteral("C8_"), k);
        c16_[static_cast<size_t>(k)] = MakeSwatch(fra16bits_, QStringLiteral("C16_"), k);
    }
}

void frmMainPal::Init(const QString& sFileName) {
    fileName_ = sFileName;
    SetCaptions();
}

bool frmMainPal::eventFilter(QObject* watched, QEvent* e) {
    if (watched == menuBar_ && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->matches(QKeySequence::Cancel) && !menuBar_->activeAction()) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

bool frmMainPal::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        SetCaptions();
    return QDialog::event(e);
}

void frmMainPal::SetCaptions() {
    setWindowTitle(QString::fromStdString(PaletteExaminerCaption(fileName_.toStdString())));
    fra8bits_->setTitle(QString::fromLatin1(kCaption8));
    fra16bits_->setTitle(QString::fromLatin1(kCaption16));
}

// Both palettes or neither: with either list empty every swatch keeps its placeholder colour.
void frmMainPal::PaintSwatches() {
    const std::vector<ColourRow> rows8 = ColourRows(palette8_.get());
    const std::vector<ColourRow> rows16 = ColourRows(palette16_.get());
    if (rows8.empty() || rows16.empty())
        return;
    const auto paint = [](const std::vector<ColourRow>& rows, const std::array<QFrame*, 256>& swatches) {
        for (const ColourRow& row : rows) {
            if (row.Index > 256)
                break;
            QFrame* swatch = swatches[static_cast<size_t>(row.Index - 1)];
            SetSwatchColour(swatch, QColor(row.R, row.G, row.B));
            swatch->setToolTip(QString::fromStdString(SwatchToolTip(row)));
        }
    };
    paint(rows8, c8_);
    paint(rows16, c16_);
    mnuViewPalette_->menuAction()->setEnabled(true);
    for (QAction* action : mnuViewPalette_->actions())
        action->setEnabled(true);
}

frmViewPalette* frmMainPal::CreateColourList(int bits) {
    const CSmartArray* list = bits == 8 ? palette8_.get() : palette16_.get();
    const std::string caption = ColourListCaption(LevelFileNamePart(fileName_.toStdString()), bits);
    return new frmViewPalette(QString::fromStdString(caption), ColourRows(list), this);
}

void frmMainPal::ShowColourList(int bits) {
    std::unique_ptr<frmViewPalette> list(CreateColourList(bits));
    list->exec();
}
