#include "views/ReadingsPane.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "views/OffsetText.h"
#include "views/SpanSelection.h"

namespace {

constexpr int kSwatchSize = 12;

QIcon SwatchIcon(QColor c) {
    QPixmap swatch(kSwatchSize, kSwatchSize);
    // The alpha bit is said in the text; the swatch always shows the colour itself.
    c.setAlpha(255);
    swatch.fill(c);
    // A grey frame keeps a colour close to the row's own background visible on light and dark palettes.
    QPainter p(&swatch);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    p.end();
    return QIcon(swatch);
}

} // namespace

ReadingsPane::ReadingsPane(SpanSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    setObjectName(QStringLiteral("readingsPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    offsetLabel_ = new QLabel(this);
    offsetLabel_->setObjectName(QStringLiteral("lblReadingsOffset"));
    fieldLabel_ = new QLabel(this);
    fieldLabel_->setObjectName(QStringLiteral("lblReadingsField"));
    fieldLabel_->setWordWrap(true);
    fieldLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bigEndian_ = new QCheckBox(tr("&Big-endian"), this);
    bigEndian_->setObjectName(QStringLiteral("chkReadingsBigEndian"));
    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("tvwReadings"));
    rows_->setColumnCount(2);
    rows_->setHeaderLabels({tr("Type"), tr("Value")});
    rows_->setRootIsDecorated(false);
    rows_->setUniformRowHeights(true);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int k = 0; k < readings::kReadings; ++k) {
        auto* item = new QTreeWidgetItem(rows_);
        item->setText(0, readings::NameOf(static_cast<readings::Reading>(k)));
    }
    rows_->setCurrentItem(rows_->topLevelItem(0));

    auto* copy = new QAction(tr("&Copy Value"), rows_);
    copy->setObjectName(QStringLiteral("mnuReadingsCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &ReadingsPane::CopyValue);
    rows_->addAction(copy);
    rows_->setContextMenuPolicy(Qt::ActionsContextMenu);

    layout->addWidget(offsetLabel_);
    layout->addWidget(fieldLabel_);
    layout->addWidget(bigEndian_);
    layout->addWidget(rows_, 1);

    connect(bigEndian_, &QCheckBox::toggled, this, [this] { ShowOffset(offset_); });
    connect(&selection_, &SpanSelection::Changed, this, &ReadingsPane::Follow);
    connect(&selection_, &SpanSelection::WalkReplaced, this, [this] {
        paletteOf_ = nullptr;
        Follow();
    });
    Follow();
}

void ReadingsPane::Follow() {
    const int64_t picked = selection_.PickedOffset();
    ShowOffset(picked >= 0 ? picked : selection_.FocusOffset());
}

const readings::Palette* ReadingsPane::PaletteNow() {
    const AppState& state = selection_.State();
    if (paletteOf_ != state.Level.get() || paletteLoaded_ != state.PalettesLoaded) {
        paletteOf_ = state.Level.get();
        paletteLoaded_ = state.PalettesLoaded;
        palette_ = readings::Palette8Of(state);
    }
    return palette_ ? &*palette_ : nullptr;
}

void ReadingsPane::ShowOffset(int64_t offset) {
    offset_ = offset;
    const LevelFile* level = selection_.Level();
    if (!level || offset < 0) {
        offset_ = -1;
        offsetLabel_->setText(tr("No byte picked"));
        fieldLabel_->clear();
        for (int k = 0; k < readings::kReadings; ++k) {
            QTreeWidgetItem* item = rows_->topLevelItem(k);
            item->setText(1, QString());
            item->setIcon(1, QIcon());
        }
        return;
    }
    offsetLabel_->setText(tr("Offset %1 (%2)").arg(HexOffset(offset)).arg(offset));
    const std::optional<readings::FieldHere> field = readings::FieldAt(selection_.Map(), *level, offset);
    if (field)
        fieldLabel_->setText(tr("%1 = %2 (%3 bytes at %4; %5)")
                                 .arg(field->Name, field->Value)
                                 .arg(field->Bytes)
                                 .arg(HexOffset(field->First), field->Place));
    else
        fieldLabel_->setText(tr("No field here"));
    const std::vector<readings::Row> readings = readings::ReadAt(*level, offset, BigEndian(), PaletteNow());
    for (const readings::Row& row : readings) {
        QTreeWidgetItem* item = rows_->topLevelItem(static_cast<int>(row.What));
        item->setText(1, row.Value);
        item->setIcon(1, row.Swatch.isValid() ? SwatchIcon(row.Swatch) : QIcon());
        item->setForeground(1, row.Complete ? rows_->palette().brush(QPalette::Text)
                                            : rows_->palette().brush(QPalette::PlaceholderText));
    }
}

void ReadingsPane::SetBigEndian(bool big) {
    bigEndian_->setChecked(big);
}

bool ReadingsPane::BigEndian() const {
    return bigEndian_->isChecked();
}

QString ReadingsPane::ValueOf(readings::Reading r) const {
    return rows_->topLevelItem(static_cast<int>(r))->text(1);
}

QString ReadingsPane::FieldLine() const {
    return fieldLabel_->text();
}

QString ReadingsPane::OffsetLine() const {
    return offsetLabel_->text();
}

void ReadingsPane::CopyValue() const {
    const QTreeWidgetItem* item = rows_->currentItem();
    if (item && !item->text(1).isEmpty())
        QApplication::clipboard()->setText(item->text(1));
}
