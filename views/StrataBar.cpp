#include "views/StrataBar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "views/OffsetText.h"
#include "views/SpanSelection.h"

namespace {

QString Share(int64_t bytes, int64_t whole) {
    return whole > 0
               ? QString::number(100.0 * static_cast<double>(bytes) / static_cast<double>(whole), 'f', 1) +
                     QLatin1Char('%')
               : QString();
}

const QColor kOverrun(220, 40, 30);

} // namespace

StrataBar::StrataBar(SpanSelection& selection, QWidget* parent) : QWidget(parent), selection_(selection) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&selection_, &SpanSelection::WalkReplaced, this, &StrataBar::TakeWalk);
    connect(&selection_, &SpanSelection::Changed, this, [this] { update(); });
}

QSize StrataBar::sizeHint() const {
    return {400, 14};
}

QColor StrataBar::GroupColour(ChunkGroup group) {
    switch (group) {
    case ChunkGroup::Graphics:
        return {142, 124, 195};
    case ChunkGroup::Rooms:
        return {96, 160, 90};
    case ChunkGroup::Geometry:
        return {204, 160, 70};
    case ChunkGroup::Animation:
        return {90, 140, 200};
    case ChunkGroup::Textures:
        return {200, 110, 150};
    case ChunkGroup::Navigation:
        return {80, 170, 170};
    case ChunkGroup::Sound:
        return {170, 170, 90};
    }
    return Qt::gray;
}

void StrataBar::SetScale(StrataScale scale) {
    if (scale_ == scale)
        return;
    scale_ = scale;
    stale_ = true;
    update();
}

std::vector<StrataBar::LegendEntry> StrataBar::Legend() const {
    std::vector<LegendEntry> entries;
    const std::pair<ChunkGroup, QString> groups[] = {
        {ChunkGroup::Graphics, tr("Palettes and the light map")},
        {ChunkGroup::Textures, tr("Texture tiles, object and sprite textures")},
        {ChunkGroup::Rooms, tr("Rooms")},
        {ChunkGroup::Geometry, tr("Floor data, meshes and static meshes")},
        {ChunkGroup::Animation, tr("Animations, frames, moveables, cinematics")},
        {ChunkGroup::Navigation, tr("Cameras, boxes, overlaps, zones and items")},
        {ChunkGroup::Sound, tr("Sound sources, sound map and samples")},
    };
    for (const auto& [group, words] : groups)
        entries.push_back({GroupColour(group), words});
    entries.push_back({palette().color(QPalette::Mid), tr("The version word and gaps between chunks")});
    entries.push_back({palette().color(QPalette::Mid), tr("Bytes the walk never reached"), Qt::BDiagPattern});
    entries.push_back({kOverrun, tr("What the walk went over past the end of the file"), Qt::FDiagPattern});
    entries.push_back(
        {kOverrun, tr("A red line along the foot: a chunk that differs from the level compared")});
    entries.push_back({Qt::black, tr("Notch: where the walk ended (dark red: it did not complete)")});
    entries.push_back({ProblemColour(ProblemMark::Error),
                       tr("A corner at the top right: a chunk holding a problem the checker found (orange: "
                          "warnings only)")});
    entries.push_back({palette().color(QPalette::Highlight), tr("Frame: the selected chunk")});
    return entries;
}

QWidget* StrataBar::CreateLegendWindow(QWidget* parent) const {
    auto* window = new QWidget(parent, Qt::Tool);
    window->setObjectName(QStringLiteral("frmStrataLegend"));
    window->setWindowTitle(tr("Strata Bar Legend"));
    auto* grid = new QGridLayout(window);
    int row = 0;
    for (const LegendEntry& e : Legend()) {
        QPixmap swatch(28, 14);
        QPainter p(&swatch);
        if (e.Pattern == Qt::FDiagPattern) { // the overrun: white stripes over its colour
            p.fillRect(swatch.rect(), e.Colour);
            p.fillRect(swatch.rect(), QBrush(QColor(255, 255, 255, 90), e.Pattern));
        } else {
            p.fillRect(swatch.rect(),
                       e.Pattern == Qt::SolidPattern ? e.Colour : palette().color(QPalette::Base));
            p.fillRect(swatch.rect(), QBrush(e.Colour, e.Pattern));
        }
        p.setPen(QColor(0, 0, 0, 80));
        p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        p.end();
        auto* mark = new QLabel(window);
        mark->setPixmap(swatch);
        grid->addWidget(mark, row, 0);
        grid->addWidget(new QLabel(e.Words, window), row, 1);
        ++row;
    }
    auto* scale =
        new QLabel(scale_ == StrataScale::Bytes
                       ? tr("Widths: each chunk as wide as its share of the file's bytes.")
                       : tr("Widths: by the logarithm of each chunk's bytes, so small chunks show."),
                   window);
    scale->setWordWrap(true);
    grid->addWidget(scale, row, 0, 1, 2);
    return window;
}

void StrataBar::SetMarked(std::function<bool(Piece)> marked) {
    marked_ = std::move(marked);
    update();
}

bool StrataBar::PieceMarked(int i) const {
    const StrataLayout& layout = Layout();
    if (!marked_ || i < 0 || i >= static_cast<int>(layout.Pieces.size()))
        return false;
    const WalkMap& map = selection_.Map();
    const auto& spans = layout.Pieces[static_cast<size_t>(i)].Spans;
    return std::any_of(spans.begin(), spans.end(), [&](int32_t s) { return marked_(map[s].What); });
}

void StrataBar::SetProblems(ProblemTest test) {
    problems_ = std::move(test);
    update();
}

ProblemMark StrataBar::PieceProblem(int i) const {
    const StrataLayout& layout = Layout();
    if (!problems_ || i < 0 || i >= static_cast<int>(layout.Pieces.size()))
        return ProblemMark::None;
    const StrataPiece& p = layout.Pieces[static_cast<size_t>(i)];
    // Bytes the walk never reached reach past the file's end: a walk that ran over it ended there.
    const int64_t end = p.What == StrataPiece::Kind::NotReached ? std::numeric_limits<int64_t>::max() : p.End;
    return problems_(p.First, end);
}

void StrataBar::TakeWalk() {
    stale_ = true;
    update();
}

void StrataBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    stale_ = true;
}

const StrataLayout& StrataBar::Layout() const {
    if (stale_ || layout_.Width != width()) {
        layout_ = LayOutStrata(selection_.Map(), width(), kMinPieceWidth, scale_);
        stale_ = false;
    }
    return layout_;
}

double StrataBar::WalkEndX() const {
    return Layout().XOf(selection_.Map().EndOffset());
}

void StrataBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const StrataLayout& layout = Layout();
    const WalkMap& map = selection_.Map();
    painter.fillRect(rect(), palette().color(QPalette::Window).darker(108));
    if (layout.Pieces.empty())
        return;
    const int h = height();
    const int32_t selectedChunk = [&] {
        int32_t s = selection_.Span();
        while (s >= 0 && map[s].Parent >= 0)
            s = map[s].Parent;
        return s;
    }();
    QRectF selectedRect;
    for (const StrataPiece& p : layout.Pieces) {
        const QRectF r(p.X, 0, p.Width, h);
        switch (p.What) {
        case StrataPiece::Kind::Chunks:
            painter.fillRect(r, GroupColour(p.Group));
            break;
        case StrataPiece::Kind::Gap:
            painter.fillRect(r, palette().color(QPalette::Mid));
            break;
        case StrataPiece::Kind::NotReached:
            painter.fillRect(r, palette().color(QPalette::Base));
            painter.fillRect(r, QBrush(palette().color(QPalette::Mid), Qt::BDiagPattern));
            break;
        }
        if (std::find(p.Spans.begin(), p.Spans.end(), selectedChunk) != p.Spans.end())
            selectedRect = r;
        if (marked_ && PieceMarked(static_cast<int>(&p - layout.Pieces.data())))
            painter.fillRect(QRectF(p.X, h - 3, p.Width, 3), kOverrun);
        // A thin seam between pieces keeps neighbours of one colour apart.
        painter.fillRect(QRectF(p.X + p.Width - 1, 0, 1, h), QColor(0, 0, 0, 40));
    }
    // What the walk went over past the end of the file.
    if (layout.ScaleEnd > map.FileSize()) {
        const double from = layout.XOf(map.FileSize());
        QRectF overrun(from, 0, layout.Width - from, h);
        painter.fillRect(overrun, kOverrun);
        painter.fillRect(overrun, QBrush(QColor(255, 255, 255, 90), Qt::FDiagPattern));
        painter.fillRect(QRectF(from, 0, 1, h), Qt::black);
    }
    if (!selectedRect.isNull()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(selectedRect.adjusted(1, 1, -1, -1));
    }
    // Problems over the selection's frame, so a selected chunk still shows its own.
    for (int i = 0; problems_ && i < static_cast<int>(layout.Pieces.size()); ++i) {
        const ProblemMark problem = PieceProblem(i);
        if (problem == ProblemMark::None)
            continue;
        // Inside the piece, clear of the seam at its right edge.
        const StrataPiece& p = layout.Pieces[static_cast<size_t>(i)];
        const double side = std::min<double>(kProblemCorner, p.Width - 1);
        const double right = p.X + p.Width - 1;
        QPolygonF corner;
        corner << QPointF(right - side, 0) << QPointF(right, 0) << QPointF(right, side);
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ProblemColour(problem));
        painter.drawPolygon(corner);
        painter.restore();
    }
    for (const Bookmark& b : bookmarks_) {
        const double x = std::clamp(layout.XOf(b.First), 3.0, layout.Width - 3);
        QPolygonF mark;
        mark << QPointF(x - 3, h) << QPointF(x + 3, h) << QPointF(x, h - 5);
        painter.setPen(QPen(Qt::black, 0.5));
        painter.setBrush(b.Colour);
        painter.drawPolygon(mark);
    }
    if (map.Ending() != WalkEnding::None) {
        const double x = std::clamp(WalkEndX(), 1.0, layout.Width - 2);
        const QColor ink = map.Ending() == WalkEnding::Completed ? Qt::black : kOverrun.darker(150);
        painter.fillRect(QRectF(x - 1, 0, 2, h), ink);
        QPolygonF notch;
        notch << QPointF(x - 4, 0) << QPointF(x + 4, 0) << QPointF(x, 4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPolygon(notch);
    }
}

void StrataBar::SetBookmarks(std::vector<Bookmark> bookmarks) {
    bookmarks_ = std::move(bookmarks);
    update();
}

QString StrataBar::ToolTipAt(double x) const {
    const StrataLayout& layout = Layout();
    const int at = layout.PieceAt(x);
    if (at < 0)
        return {};
    const WalkMap& map = selection_.Map();
    const StrataPiece& p = layout.Pieces[static_cast<size_t>(at)];
    const int64_t whole = std::max<int64_t>(map.FileSize(), 1);
    const auto describe = [&](const QString& name, int64_t first, int64_t end) {
        QString line = QStringLiteral("%1: %2 (%3), %4 bytes, %5")
                           .arg(name, HexOffset(first))
                           .arg(first)
                           .arg(end - first)
                           .arg(Share(end - first, whole));
        if (end > map.FileSize())
            line +=
                tr("; %1 bytes past the end of the file").arg(end - std::max<int64_t>(first, map.FileSize()));
        return line;
    };
    QStringList lines;
    if (p.What == StrataPiece::Kind::NotReached)
        lines << describe(tr("Not reached by the walk"), p.First, p.End);
    else if (p.Spans.empty())
        lines << describe(p.First == 0 ? tr("Version word") : tr("Gap"), p.First, p.End);
    for (int32_t i : p.Spans) {
        const Span& s = map[i];
        const std::string_view name = s.Name();
        QString line =
            describe(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), s.First, s.End);
        if (s.Has(Span::Cut))
            line += tr("; the walk ended here");
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void StrataBar::ClickAt(double x) {
    const StrataLayout& layout = Layout();
    const int at = layout.PieceAt(x);
    if (at < 0)
        return;
    const StrataPiece& p = layout.Pieces[static_cast<size_t>(at)];
    if (p.Spans.empty()) {
        selection_.SelectOffset(
            std::min<int64_t>(p.First, std::max<int64_t>(selection_.Map().FileSize() - 1, 0)), this);
        return;
    }
    // In a merged piece, the chunk whose share of the piece lies under the pointer.
    const double share = p.Width > 0 ? (x - p.X) / p.Width : 0;
    const int64_t offset = p.First + static_cast<int64_t>(share * static_cast<double>(p.End - p.First));
    int32_t chosen = p.Spans.front();
    for (int32_t i : p.Spans)
        if (selection_.Map()[i].First <= offset)
            chosen = i;
    selection_.SelectSpan(chosen, this);
}

bool StrataBar::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString tip = ToolTipAt(help->pos().x());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(e);
}

void StrataBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        ClickAt(e->position().x());
    e->accept();
}
