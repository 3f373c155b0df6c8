// The structure views on the full-detail DM2 benchmark level, offscreen, in the main window as the
// program builds it: a report line to its bytes painted in the hex view, a click on a byte to its line
// painted in the pane, a page of the hex view, the strata bar, the outline built anew, and the memory
// the three views add to a full-detail open (measured in child processes, one with the views shown
// and one without, so each peak is the program's own).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

#include <QApplication>
#include <QDockWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeWidget>

#include "bench/BenchExtras.h"
#include "bench/BenchQt.h"
#include "bench/BenchTiming.h"
#include "report/AppState.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/HexView.h"
#include "views/OutlineModel.h"
#include "views/OutlinePane.h"
#include "views/ReadingsPane.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

using Clock = BenchClock;

void EnsureViewsApplication() {
    EnsureApplication();
    // The docks shown here are never remembered for the user.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataBenchViews"));
    QSettings().clear();
}

// Runs the events until the watched widget has painted once more than `before`.
void WaitForPaint(const PaintCounter& counter, int before) {
    for (int i = 0; i < 100000 && counter.Paints == before; ++i)
        QCoreApplication::processEvents();
}

// The main window with the level open, every detail on, and its structure views shown.
std::unique_ptr<frmMain> OpenWithViews(AppState& state, const std::string& path, bool views) {
    auto window = std::make_unique<frmMain>(state);
    SetAllDetails(state.DetailOptions, true);
    state.DetailOptions.Set(optTextureTiles, false); // the tile export is timed by the main benchmark
    window->resize(1100, 760);
    window->show();
    if (views)
        window->Structure().ShowAll();
    window->OpenLevel(QString::fromStdString(path));
    QCoreApplication::processEvents();
    return window;
}

// Report lines spread over the whole report, each one a record line of a listed run.
std::vector<int32_t> RecordLines(const WalkMap& map, size_t wanted) {
    std::vector<int32_t> runs;
    for (int32_t i = 0; i < map.Size(); ++i)
        if (map[i].Kind == SpanKind::Run && map[i].Count > 0 && map[i].EndLine > map[i].Line + 1)
            runs.push_back(i);
    std::vector<int32_t> lines;
    for (size_t k = 0; k < wanted && !runs.empty(); ++k) {
        const Span& s = map[runs[k * runs.size() / wanted]];
        const int32_t records = (s.EndLine - s.Line - 1) / std::max<int32_t>(s.Record()->LinesPerRecord, 1);
        lines.push_back(map.LineOfRecord(runs[k * runs.size() / wanted],
                                         static_cast<int32_t>(k * 7919 % std::max(records, 1))));
    }
    return lines;
}

} // namespace

void BenchViews(const BenchContext& context, BenchKeys& keys) {
    EnsureViewsApplication();
    AppState state;
    state.ProgramFolder = context.Folder;
    state.TileFolderOverride = context.Folder / "tiles";
    std::unique_ptr<frmMain> window = OpenWithViews(state, context.BigDM2, true);
    StructureViews& views = window->Structure();
    ReportView& pane = *window->findChild<ReportView*>(QStringLiteral("rtbOutput"));
    HexView& hex = *views.Hex();
    OutlinePane& outline = *views.Outline();
    StrataBar& strata = *views.Strata();
    PaintCounter hexPaints, panePaints, outlinePaints;
    hex.viewport()->installEventFilter(&hexPaints);
    pane.viewport()->installEventFilter(&panePaints);
    outline.viewport()->installEventFilter(&outlinePaints);
    const int samples = std::max(context.Repeats * 3, 9);
    const std::vector<int32_t> lines = RecordLines(state.Map, static_cast<size_t>(samples));

    // A report line until the hex view has painted its bytes highlighted.
    std::vector<double> lineToBytes;
    for (int32_t line : lines) {
        const int before = hexPaints.Paints;
        const auto start = Clock::now();
        pane.ShowLine(static_cast<size_t>(line));
        WaitForPaint(hexPaints, before);
        lineToBytes.push_back(MsSince(start));
    }

    // A click on a byte until the pane shows and selects its line.
    std::vector<double> byteToLine;
    for (int32_t line : lines) {
        const LineBytes bytes = state.Map.BytesOfLine(line);
        const int64_t offset = std::max<int64_t>(bytes.First + (bytes.End - bytes.First) / 2, 0);
        // Another line first, so the click moves the pane; the byte is in sight before the clock starts.
        pane.ShowLine(0);
        hex.ScrollToOffset(offset);
        QCoreApplication::processEvents();
        const QPointF at = hex.ByteRect(offset).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, hex.viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        const int before = panePaints.Paints;
        const auto start = Clock::now();
        QCoreApplication::sendEvent(hex.viewport(), &press);
        WaitForPaint(panePaints, before);
        byteToLine.push_back(MsSince(start));
    }

    // A page of the hex view, with a selection in it.
    std::vector<double> hexPage;
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        hex.viewport()->repaint();
        hexPage.push_back(MsSince(start));
    }

    // The strata bar, its layout worked out anew each time (the width changes by a pixel).
    std::vector<double> strataPaint;
    for (int i = 0; i < samples; ++i) {
        strata.resize(strata.width() + (i % 2 == 0 ? 1 : -1), strata.height());
        const auto start = Clock::now();
        strata.repaint();
        strataPaint.push_back(MsSince(start));
    }

    // The outline built anew over the walk map until it has painted.
    std::vector<double> outlineBuild;
    for (int i = 0; i < samples; ++i) {
        const int before = outlinePaints.Paints;
        const auto start = Clock::now();
        outline.Model().Reset();
        outline.viewport()->update();
        WaitForPaint(outlinePaints, before);
        outlineBuild.push_back(MsSince(start));
    }

    // The Byte Readings, shown: one update for a new pick (its readings, the field there and its
    // rows) until its rows have painted.
    std::vector<double> readingsUpdate;
    if (auto* readings = window->findChild<ReadingsPane*>()) {
        if (auto* dock = window->findChild<QDockWidget*>(QStringLiteral("dckReadings")))
            dock->show();
        QCoreApplication::processEvents();
        for (int32_t line : lines) {
            const LineBytes bytes = state.Map.BytesOfLine(line);
            const int64_t offset = std::max<int64_t>(bytes.First + (bytes.End - bytes.First) / 2, 0);
            const auto start = Clock::now();
            readings->ShowOffset(offset);
            readings->Rows()->viewport()->repaint();
            readingsUpdate.push_back(MsSince(start));
        }
    }

    // A page of records opened to their fields at once, until the outline has painted: the first paged
    // run's first page, its records each opened to their field nodes.
    std::vector<double> fieldExpand;
    int32_t paged = -1;
    for (int32_t i = 0; i < state.Map.Size() && paged < 0; ++i)
        if (state.Map[i].Kind == SpanKind::Run && outline.Model().Paged(i))
            paged = i;
    for (int i = 0; i < samples && paged >= 0; ++i) {
        outline.Model().Reset();
        const QModelIndex page = outline.Model().IndexOfRecord(paged, 0).parent();
        for (QModelIndex up = page.parent(); up.isValid(); up = up.parent())
            outline.expand(up);
        outline.scrollTo(page, QAbstractItemView::PositionAtTop);
        QCoreApplication::processEvents();
        const int before = outlinePaints.Paints;
        const auto start = Clock::now();
        outline.expandRecursively(page, 1);
        outline.viewport()->update();
        WaitForPaint(outlinePaints, before);
        fieldExpand.push_back(MsSince(start));
    }

    keys.emplace_back("line_to_bytes_ms", Median(lineToBytes));
    keys.emplace_back("byte_to_line_ms", Median(byteToLine));
    keys.emplace_back("hex_page_paint_ms", Median(hexPage));
    keys.emplace_back("strata_bar_paint_ms", Median(strataPaint));
    keys.emplace_back("outline_build_ms", Median(outlineBuild));
    if (!readingsUpdate.empty())
        keys.emplace_back("inspector_update_ms", Median(readingsUpdate));
    if (!fieldExpand.empty()) {
        keys.emplace_back("field_expand_ms", Median(fieldExpand));
        keys.emplace_back("field_expand_records", static_cast<double>(outline.Model().OpenedRecords()));
    }
    window.reset();
    QSettings().clear();

    // Memory: the peak of a full-detail open with the views shown and used, against one without.
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    const auto peakKB = [&](bool views) {
        const std::string command = "'" + self + "' --views-run '" + context.BigDM2 + "' '" +
                                    context.Folder.string() + "' " + (views ? "1" : "0");
        FILE* child = ::popen(command.c_str(), "r");
        long kb = -1;
        if (!child || std::fscanf(child, "%ld", &kb) != 1)
            kb = -1;
        if (child)
            ::pclose(child);
        return static_cast<double>(kb);
    };
    const double without = peakKB(false), with = peakKB(true);
    if (without > 0 && with > 0) {
        keys.emplace_back("views_added_mb", (with - without) / 1024.0);
        keys.emplace_back("views_memory_percent", 100.0 * (with - without) / without);
    }
}

// One full-detail open in a process of its own, with or without the structure views shown, used and
// painted; prints the peak resident size in KB.
int BenchViewsRun(const std::string& path, const std::string& folder, bool views) {
    EnsureViewsApplication();
    AppState state;
    state.ProgramFolder = folder;
    state.TileFolderOverride = std::filesystem::path(folder) / "tiles";
    std::unique_ptr<frmMain> window = OpenWithViews(state, path, views);
    if (views) {
        StructureViews& structure = window->Structure();
        ReportView& pane = *window->findChild<ReportView*>(QStringLiteral("rtbOutput"));
        for (int32_t line : RecordLines(state.Map, 50)) {
            pane.ShowLine(static_cast<size_t>(line));
            QCoreApplication::processEvents();
        }
        // Every top-level chunk opened in the outline, as a user looking round would.
        OutlinePane& outline = *structure.Outline();
        for (int row = 0; row < outline.Model().rowCount(); ++row)
            outline.expand(outline.Model().index(row, 0));
        structure.Strata()->repaint();
        QCoreApplication::processEvents();
    }
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    window.reset();
    QSettings().clear();
    return 0;
}
