// The level map over the benchmark's 300-room level, offscreen: the map built from the walk, one
// frame painted at 1600 x 1000 fitted to the window, and the room and sector under a point.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchQt.h"
#include "bench/BenchTiming.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "views/LevelMapCanvas.h"
#include "views/LevelMapModel.h"

namespace {

using Clock = BenchClock;

} // namespace

void BenchLevelMap(const BenchContext& context, BenchKeys& keys) {
    EnsureApplication();
    AppState state;
    state.TileFolderOverride = context.Folder / "tiles";
    SetAllDetails(state.DetailOptions, true);
    state.DetailOptions.Set(optTextureTiles, false);
    ReportLevelFile(state, context.BigDM2);

    LevelMapModel model;
    std::vector<double> buildMs;
    for (int i = 0; i < context.Repeats; ++i) {
        const auto start = Clock::now();
        model.Build(state.Map, state.Level.get());
        buildMs.push_back(MsSince(start));
    }

    // Each frame starts from a fresh canvas, so the rooms' sector images are made in the time measured.
    const QSize size(1600, 1000);
    QImage frame(size, QImage::Format_RGB32);
    std::vector<double> paintMs;
    for (int i = 0; i < context.Repeats; ++i) {
        LevelMapCanvas canvas;
        canvas.resize(size);
        canvas.SetModel(&model);
        canvas.FitToWindow();
        const auto start = Clock::now();
        QPainter p(&frame);
        canvas.Render(p, size);
        p.end();
        paintMs.push_back(MsSince(start));
    }

    // Points spread over the rooms' bounds and a little beyond, each picked as the pointer would.
    const HeightBand all;
    constexpr int kPicks = 2000;
    int found = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kPicks; ++i) {
        const double x =
            model.MinX() + (model.MaxX() - model.MinX()) * ((i * 7919) % kPicks) / (kPicks - 100.0);
        const double z =
            model.MinZ() + (model.MaxZ() - model.MinZ()) * ((i * 104729) % kPicks) / (kPicks - 100.0);
        found += model.Pick(x, z, all).Valid();
    }
    const double pickMs = MsSince(start) / kPicks;

    keys.emplace_back("map_rooms", static_cast<double>(model.Rooms().size()));
    keys.emplace_back("map_build_ms", Median(buildMs));
    keys.emplace_back("map_paint_ms", Median(paintMs));
    keys.emplace_back("map_pick_ms", pickMs);
    keys.emplace_back("map_pick_us", pickMs * 1000);
    keys.emplace_back("map_pick_hits_percent", 100.0 * found / kPicks);
}
