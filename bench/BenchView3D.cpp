// The 3D view over the 300-room DM2 level at 1600 x 1000 with every room drawn: one frame on the
// OpenGL this process can have, else in a child under Xvfb with Mesa's software renderer
// (view3d_frame_ms), and the face under a pixel as a click finds it (view3d_pick_ms, no GL needed).
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchQt.h"
#include "bench/BenchTiming.h"
#include "format/LevelFile.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "scene/Scene.h"
#include "views/SpanSelection.h"
#include "views/View3D.h"
#include "views/View3DCamera.h"

namespace {

constexpr int kWidth = 1600, kHeight = 1000;

// The whole level seen from above and to the south-east, as the view frames it with every room shown.
View3DCamera WholeLevel(const scene::Scene& s) {
    View3DCamera camera;
    camera.Yaw = 30;
    camera.Pitch = 25;
    camera.Frame(s.Min, s.Max);
    return camera;
}

double PickMs(const std::string& path) {
    LevelFile level;
    if (level.Open(path) != 0)
        return -1;
    WalkMap map;
    scene::WalkForScene(level, map);
    const scene::Scene s = scene::BuildScene(map, level);
    const View3DCamera camera = WholeLevel(s);
    constexpr int kPicks = 400;
    int hits = 0;
    const auto start = BenchClock::now();
    for (int i = 0; i < kPicks; ++i) {
        const float x = static_cast<float>((i * 7919) % kWidth) + 0.5f;
        const float y = static_cast<float>((i * 104729) % kHeight) + 0.5f;
        hits += scene::Pick(s, camera.RayThrough(x, y, kWidth, kHeight)).Valid();
    }
    const double ms = MsSince(start) / kPicks;
    std::fprintf(stderr, "view3d pick: %d of %d pixels meet a face\n", hits, kPicks);
    return ms;
}

} // namespace

double View3DFrameMs(const std::string& path, int repeats) {
    EnsureApplication();
    if (!View3D::OpenGLAvailable(nullptr))
        return -1;
    AppState state;
    ReportLevelFile(state, path);
    SpanSelection selection(state);
    View3D view(selection);
    view.resize(kWidth, kHeight);
    view.show();
    for (int i = 0; i < 200 && !view.isValid(); ++i)
        QApplication::processEvents();
    view.SetAllRooms(true);
    view.Camera() = WholeLevel(view.Scene());
    view.DrawNow(); // uploads the triangles and the tiles
    std::vector<double> ms;
    for (int i = 0; i < std::max(repeats, 3); ++i) {
        const auto start = BenchClock::now();
        view.DrawNow();
        ms.push_back(MsSince(start));
    }
    return Median(ms);
}

void BenchView3D(const BenchContext& context, BenchKeys& keys) {
    keys.emplace_back("view3d_pick_ms", PickMs(context.BigDM2));
    double frameMs = -1;
    EnsureApplication();
    if (View3D::OpenGLAvailable(nullptr)) {
        frameMs = View3DFrameMs(context.BigDM2, context.Repeats);
    } else if (const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
               !xvfb.isEmpty()) {
        // This process has no OpenGL (the offscreen platform): a child draws on Xvfb.
        QProcess child;
        QStringList env = QProcess::systemEnvironment();
        env << QStringLiteral("QT_QPA_PLATFORM=xcb") << QStringLiteral("LIBGL_ALWAYS_SOFTWARE=1");
        child.setEnvironment(env);
        child.start(xvfb,
                    {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1920x1200x24"),
                     QStringLiteral("/proc/%1/exe").arg(QCoreApplication::applicationPid()),
                     QStringLiteral("--view3d-frame"), QString::fromStdString(context.BigDM2),
                     QString::number(context.Repeats)});
        if (child.waitForFinished(600000) && child.exitCode() == 0)
            frameMs = QString::fromUtf8(child.readAllStandardOutput()).trimmed().toDouble();
    }
    if (frameMs < 0) {
        std::fprintf(stderr, "view3d: no OpenGL here, and no Xvfb to draw on: view3d_frame_ms left out\n");
        return;
    }
    keys.emplace_back("view3d_frame_ms", frameMs);
}

int View3DFrameRun(const std::string& path, int repeats) {
    const double ms = View3DFrameMs(path, repeats);
    if (ms < 0)
        return 1;
    std::printf("%.3f\n", ms);
    return 0;
}
