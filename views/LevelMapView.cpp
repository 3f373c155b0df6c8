#include "views/LevelMapView.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QToolBar>
#include <QVBoxLayout>

#include "report/OutputFile.h"
#include "views/HeightRangeSlider.h"
#include "views/LevelMapCanvas.h"
#include "views/SpanSelection.h"

namespace {

// Whether the legend is shown, kept from one run to the next.
const QString kLegendKey = QStringLiteral("LevelMap/Legend");

QString Title(LevelMapView::ImageKind kind) {
    return kind == LevelMapView::ImageKind::Svg ? LevelMapView::tr("Save Map as SVG")
                                                : LevelMapView::tr("Save Map as PNG");
}

QString Extension(LevelMapView::ImageKind kind) {
    return kind == LevelMapView::ImageKind::Svg ? QStringLiteral("svg") : QStringLiteral("png");
}

// A name typed without an extension gets the image's.
QString WithExtension(const QString& path, LevelMapView::ImageKind kind) {
    const QFileInfo info(path);
    if (!info.suffix().isEmpty())
        return path;
    return path + (path.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + Extension(kind);
}

} // namespace

LevelMapView::LevelMapView(SpanSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    setObjectName(QStringLiteral("LevelMapView"));
    canvas_ = new LevelMapCanvas(this);
    canvas_->setObjectName(QStringLiteral("LevelMapCanvas"));

    tools_ = new QToolBar(this);
    tools_->setIconSize(QSize(16, 16));
    QAction* fit = tools_->addAction(tr("Fit"), canvas_, &LevelMapCanvas::FitToWindow);
    fit->setObjectName(QStringLiteral("actMapFit"));
    fit->setShortcut(QKeySequence(Qt::Key_0));
    fit->setToolTip(tr("Fit the rooms to the window (0)"));
    QAction* zoomIn = tools_->addAction(tr("+"), this, [this] { canvas_->ZoomBy(1.5); });
    zoomIn->setObjectName(QStringLiteral("actMapZoomIn"));
    zoomIn->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn});
    zoomIn->setToolTip(tr("Zoom in (+)"));
    QAction* zoomOut = tools_->addAction(tr("\u2212"), this, [this] { canvas_->ZoomBy(1 / 1.5); });
    zoomOut->setObjectName(QStringLiteral("actMapZoomOut"));
    zoomOut->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
    zoomOut->setToolTip(tr("Zoom out (-)"));
    // The keys work wherever the focus is inside the map (the canvas, the slider), not only on the
    // tool bar that shows the buttons.
    for (QAction* a : {fit, zoomIn, zoomOut}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    legend_ = tools_->addAction(tr("Legend"));
    legend_->setObjectName(QStringLiteral("actMapLegend"));
    legend_->setCheckable(true);
    legend_->setChecked(QSettings().value(kLegendKey, true).toBool());
    legend_->setToolTip(tr("Show or hide the legend"));
    canvas_->SetLegendShown(legend_->isChecked());
    connect(legend_, &QAction::toggled, this, [this](bool shown) {
        canvas_->SetLegendShown(shown);
        QSettings().setValue(kLegendKey, shown);
    });
    tools_->addSeparator();
    tools_->addWidget(new QLabel(tr(" Room "), tools_));
    roomNumber_ = new QSpinBox(tools_);
    roomNumber_->setObjectName(QStringLiteral("spnMapRoom"));
    roomNumber_->setRange(0, 32767);
    roomNumber_->setToolTip(tr("Find room N: type its number and press Enter"));
    tools_->addWidget(roomNumber_);
    QAction* find = tools_->addAction(tr("Find"), this, [this] { FindRoom(roomNumber_->value()); });
    find->setObjectName(QStringLiteral("actMapFindRoom"));
    connect(roomNumber_, &QSpinBox::editingFinished, this, [this] {
        if (roomNumber_->hasFocus())
            FindRoom(roomNumber_->value());
    });
    tools_->addSeparator();
    savePng_ = new QAction(tr("Save Map as &PNG..."), this);
    savePng_->setObjectName(QStringLiteral("actSaveMapPng"));
    connect(savePng_, &QAction::triggered, this, [this] { SaveImageAs(ImageKind::Png); });
    saveSvg_ = new QAction(tr("Save Map as S&VG..."), this);
    saveSvg_->setObjectName(QStringLiteral("actSaveMapSvg"));
    connect(saveSvg_, &QAction::triggered, this, [this] { SaveImageAs(ImageKind::Svg); });
    tools_->addAction(savePng_);
    tools_->addAction(saveSvg_);

    heightFilter_ = new HeightRangeSlider(this);
    heightFilter_->setObjectName(QStringLiteral("sldMapHeight"));
    bandText_ = new QLabel(this);
    bandText_->setObjectName(QStringLiteral("lblMapBand"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblMapStatus"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(tr("Height"), this));
    filterRow->addWidget(heightFilter_, 1);
    filterRow->addWidget(bandText_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(tools_);
    layout->addWidget(canvas_, 1);
    layout->addLayout(filterRow);
    layout->addWidget(status_);

    connect(heightFilter_, &HeightRangeSlider::BandChanged, this, [this](qint64 low, qint64 high) {
        canvas_->SetBand({low, high});
        ShowBandText();
    });
    connect(canvas_, &LevelMapCanvas::Clicked, this, &LevelMapView::Select);
    connect(canvas_, &LevelMapCanvas::DoubleClicked, this, [this](const MapHit& hit) {
        if (hit.Door.At >= 0)
            FindRoom(hit.Door.Adjoining);
    });
    connect(&selection_, &SpanSelection::Changed, this, [this](const QObject*) { FollowSelection(); });
    connect(&selection_, &SpanSelection::WalkReplaced, this, &LevelMapView::Rebuild);
    Rebuild();
}

void LevelMapView::Rebuild() {
    model_.Build(selection_.Map(), selection_.Level());
    canvas_->SetModel(&model_);
    heightFilter_->SetRange(model_.TopY(), model_.BottomY());
    canvas_->SetBand({model_.TopY(), model_.BottomY()});
    heightFilter_->setEnabled(!model_.Rooms().empty());
    note_.clear();
    ShowBandText();
    FollowSelection();
    ProblemsChanged();
}

void LevelMapView::SetProblems(ProblemTest test) {
    problems_ = std::move(test);
    ProblemsChanged();
}

void LevelMapView::ProblemsChanged() {
    std::vector<std::pair<int32_t, ProblemMark>> rooms;
    std::vector<LevelMapCanvas::ProblemDoor> doors;
    const WalkMap& map = selection_.Map();
    for (int32_t i = 0; problems_ && i < static_cast<int32_t>(model_.Rooms().size()); ++i) {
        const MapRoom& r = model_.Rooms()[static_cast<size_t>(i)];
        if (r.Span < 0 || r.Span >= map.Size())
            continue;
        const ProblemMark room = problems_(map[r.Span].First, map[r.Span].End);
        if (room == ProblemMark::None)
            continue;
        rooms.emplace_back(i, room);
        for (int32_t d = 0; r.DoorsAt >= 0 && d < std::min(r.Doors, LevelMapModel::kMarksPerRoom); ++d) {
            const int64_t at = r.DoorsAt + int64_t{d} * format::kDoor.Size;
            if (const ProblemMark door = problems_(at, at + format::kDoor.Size); door != ProblemMark::None)
                doors.push_back({i, d, door});
        }
    }
    canvas_->SetProblems(std::move(rooms), std::move(doors));
}

QString LevelMapView::StatusText() const {
    QString text = QString::fromStdString(model_.Status());
    if (!note_.isEmpty())
        text += QLatin1Char(' ') + note_;
    return text;
}

void LevelMapView::ShowBandText() {
    int32_t shown = 0;
    for (const MapRoom& r : model_.Rooms())
        shown += LevelMapModel::Shown(r, canvas_->Band());
    bandText_->setText(tr("y %1 to %2: %3 of %4 rooms")
                           .arg(heightFilter_->Low())
                           .arg(heightFilter_->High())
                           .arg(shown)
                           .arg(model_.Rooms().size()));
    status_->setText(StatusText());
}

void LevelMapView::SetHeightBand(int64_t top, int64_t bottom) {
    heightFilter_->SetBand(top, bottom);
    canvas_->SetBand({heightFilter_->Low(), heightFilter_->High()});
    ShowBandText();
}

void LevelMapView::FollowSelection() {
    const LineBytes& bytes = selection_.Bytes();
    const int32_t room = model_.RoomOfSpan(bytes.Span);
    if (room < 0 || bytes.End <= bytes.First) {
        canvas_->SetHighlight(room);
        return;
    }
    // A sector's or a door's record (or a byte picked in one) also marks the sector or the door.
    const MapRoom& r = model_.Rooms()[static_cast<size_t>(room)];
    const int64_t at = selection_.PickedOffset() >= 0 ? selection_.PickedOffset() : bytes.First;
    const int64_t sectorBytes = int64_t{r.Columns} * r.Rows * format::kSector.Size;
    if (r.SectorsAt >= 0 && at >= r.SectorsAt && at < r.SectorsAt + sectorBytes &&
        bytes.End - bytes.First <= format::kSector.Size) {
        const auto index = static_cast<int32_t>((at - r.SectorsAt) / format::kSector.Size);
        canvas_->SetHighlight(room, index / r.Rows, index % r.Rows);
        return;
    }
    if (r.DoorsAt >= 0 && at >= r.DoorsAt && at < r.DoorsAt + int64_t{r.Doors} * format::kDoor.Size) {
        canvas_->SetHighlight(room, -1, -1,
                              r.DoorsAt + static_cast<int32_t>((at - r.DoorsAt) / format::kDoor.Size));
        return;
    }
    canvas_->SetHighlight(room);
}

void LevelMapView::Select(const MapHit& hit, Qt::KeyboardModifiers modifiers) {
    if (!hit.Valid())
        return;
    const MapTarget target =
        (modifiers & Qt::ShiftModifier) ? model_.TargetOfRoom(hit.Room) : model_.TargetOf(hit);
    if (target.Line >= 0)
        selection_.SelectLine(target.Line, this);
    else if (target.Offset >= 0)
        selection_.SelectOffset(target.Offset, this);
}

bool LevelMapView::FindRoom(int32_t number) {
    const int32_t room = model_.IndexOfRoom(number);
    if (room < 0) {
        note_ = tr("Room %1 is not on the map.").arg(number);
        status_->setText(StatusText());
        return false;
    }
    note_.clear();
    const MapRoom& r = model_.Rooms()[static_cast<size_t>(room)];
    // A room outside the height band widens the band to take it in.
    if (!LevelMapModel::Shown(r, canvas_->Band()))
        SetHeightBand(std::min<int64_t>(heightFilter_->Low(), r.YTop),
                      std::max<int64_t>(heightFilter_->High(), r.YBottom));
    roomNumber_->setValue(number);
    // Drawn over the rooms above it, so its outline frames its own floors.
    canvas_->Raise(room);
    canvas_->CentreOn(room);
    const MapTarget target = model_.TargetOfRoom(room);
    if (target.Line >= 0)
        selection_.SelectLine(target.Line, this);
    canvas_->SetHighlight(room);
    status_->setText(StatusText());
    return true;
}

QByteArray LevelMapView::ImageBytes(ImageKind kind) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (kind == ImageKind::Png) {
        QImage image(canvas_->size(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&image);
            canvas_->Render(p, image.size());
        }
        if (!image.save(&buffer, "PNG"))
            return {};
        return buffer.data();
    }
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(canvas_->size());
        svg.setViewBox(QRect(QPoint(0, 0), canvas_->size()));
        svg.setTitle(tr("Level map"));
        QPainter p(&svg);
        canvas_->Render(p, canvas_->size(), /*vector=*/true);
    }
    return buffer.data();
}

std::optional<FileIdentity> LevelMapView::LevelIdentity() const {
    const std::string& path = selection_.State().FileNameLabel;
    return path.empty() ? std::nullopt : IdentityOf(path);
}

QString LevelMapView::SaveImage(ImageKind kind, const QString& path) {
    const QByteArray bytes = ImageBytes(kind);
    if (bytes.isEmpty())
        return tr("the image could not be made");
    return QString::fromStdString(WriteOutputFile(QFile::encodeName(path).toStdString(),
                                                  std::string_view(bytes.constData(), size_t(bytes.size())),
                                                  LevelIdentity()));
}

QString LevelMapView::ProposedTarget(ImageKind kind) const {
    // Beside the level, named after it: "level1-map.png".
    const QString level = QFile::decodeName(QByteArray::fromStdString(selection_.State().FileNameLabel));
    if (level.isEmpty())
        return QStringLiteral("level-map.") + Extension(kind);
    const QFileInfo info(level);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-map.") + Extension(kind));
}

QString LevelMapView::ChooseWithDialog(ImageKind kind, const QString& proposed) {
    const QString filter = kind == ImageKind::Svg ? tr("SVG images (*.svg)") : tr("PNG images (*.png)");
    // The dialog does not ask about replacing: the name may still get its extension, and the question
    // is asked about the file that will be written.
    return QFileDialog::getSaveFileName(this, Title(kind), proposed, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void LevelMapView::SaveImageAs(ImageKind kind) {
    const QString proposed = ProposedTarget(kind);
    const QString chosen = chooseTarget_ ? chooseTarget_(kind, proposed) : ChooseWithDialog(kind, proposed);
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, kind);
    const QString shown = QDir::toNativeSeparators(path);
    const std::optional<FileIdentity> there = IdentityOf(QFile::encodeName(path).toStdString());
    const auto refuse = [&](const QString& reason) {
        note_ = tr("Could not save %1: %2").arg(shown, reason);
        status_->setText(StatusText());
        QMessageBox::warning(this, Title(kind), tr("Could not save %1:\n%2").arg(shown, reason));
    };
    if (there && there == LevelIdentity())
        return refuse(QString::fromUtf8(kIsTheLevelFile.data(), qsizetype(kIsTheLevelFile.size())));
    if (there && !QFileInfo(path).isDir() &&
        QMessageBox::question(
            this, Title(kind),
            tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    if (const QString reason = SaveImage(kind, path); !reason.isEmpty())
        return refuse(reason);
    note_ = tr("Saved %1.").arg(shown);
    status_->setText(StatusText());
}
