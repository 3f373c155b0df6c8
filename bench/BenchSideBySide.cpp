// The compared level beside the level shown, on the 16 MB level against a copy with one vertex
// inserted in its first room (every later byte 12 further on): one page of the hex view scrolled,
// until both panes have painted, the second lined up through the comparison's alignment
// (side_by_side_scroll_ms).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>

#include "bench/BenchExtras.h"
#include "bench/BenchQt.h"
#include "bench/BenchTiming.h"
#include "bench/BigLevel.h"
#include "report/AppState.h"
#include "ui/ComparisonDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/HexView.h"
#include "views/SideBySidePane.h"

void BenchSideBySide(const BenchContext& context, BenchKeys& keys) {
    EnsureApplication();
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataBenchSideBySide"));
    QSettings().clear();

    levelbuilder::Level level = WholeRunLevel();
    const std::string a = (context.Folder / "side-a.DM2").string();
    const std::string b = (context.Folder / "side-b.DM2").string();
    levelbuilder::WriteFile(a, levelbuilder::Build(level));
    auto& vertices = level.Rooms.Items.front().Vertices.Items;
    vertices.insert(vertices.begin() + static_cast<std::ptrdiff_t>(vertices.size() / 2),
                    levelbuilder::Vertex{12345, -77, 4321, {}});
    levelbuilder::WriteFile(b, levelbuilder::Build(level));

    AppState state;
    state.ProgramFolder = context.Folder;
    state.TileFolderOverride = context.Folder / "tiles";
    auto window = std::make_unique<frmMain>(state);
    window->resize(1400, 900);
    window->show();
    window->OpenLevel(QString::fromStdString(a));
    auto* comparison = window->findChild<ComparisonDock*>();
    if (!comparison || !comparison->CompareWith(QString::fromStdString(b)).isEmpty())
        return;
    QCoreApplication::processEvents();
    HexView& shown = *window->Structure().Hex();
    HexView& other = *comparison->SideBySide()->OtherHex();
    PaintCounter shownPaints, otherPaints;
    shown.viewport()->installEventFilter(&shownPaints);
    other.viewport()->installEventFilter(&otherPaints);

    // Pages spread over the whole file, each scrolled to from the page before it.
    const int samples = std::max(context.Repeats * 3, 9);
    QScrollBar* bar = shown.verticalScrollBar();
    std::vector<double> scroll;
    for (int i = 0; i < samples; ++i) {
        bar->setValue(static_cast<int>(static_cast<int64_t>(bar->maximum()) * i / samples));
        QCoreApplication::processEvents();
        const int beforeShown = shownPaints.Paints, beforeOther = otherPaints.Paints;
        const auto start = BenchClock::now();
        bar->setValue(bar->value() + bar->pageStep());
        for (int k = 0;
             k < 100000 && (shownPaints.Paints == beforeShown || otherPaints.Paints == beforeOther); ++k)
            QCoreApplication::processEvents();
        scroll.push_back(MsSince(start));
    }
    keys.emplace_back("side_by_side_scroll_ms", Median(scroll));
    window.reset();
    QSettings().clear();
}
