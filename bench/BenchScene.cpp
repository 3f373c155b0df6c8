// The 3D scene of the 300-room DM2 level (about 750,000 triangles): its build from a walked map
// (scene_build_ms, the figure with a target), the same room by room into one reused list as the
// exporters build it (scene_rooms_ms), the walk that gives the map to a program that has not walked the
// level (scene_walk_ms), and the memory the triangles take (scene_mb).
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchTiming.h"
#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "scene/Scene.h"

namespace {

template <class F> double MedianMs(int repeats, F f) {
    std::vector<double> ms;
    for (int i = 0; i <= repeats; ++i) { // the first round warms up
        const auto start = BenchClock::now();
        f();
        if (i > 0)
            ms.push_back(MsSince(start));
    }
    return Median(ms);
}

} // namespace

void BenchScene(const BenchContext& context, BenchKeys& keys) {
    LevelFile level;
    if (level.Open(context.BigDM2) != 0)
        return;
    WalkMap map;
    const double walkMs = MedianMs(context.Repeats, [&] { scene::WalkForScene(level, map); });

    size_t triangles = 0;
    const double buildMs = MedianMs(context.Repeats, [&] {
        const scene::Scene s = scene::BuildScene(map, level);
        triangles = s.Triangles.size();
    });
    const double roomsMs = MedianMs(context.Repeats, [&] {
        const scene::SceneLevel prepared = scene::PrepareScene(map, level);
        std::vector<scene::Triangle> room;
        for (size_t r = 0; r < prepared.Base.Rooms.size(); ++r) {
            room.clear();
            scene::BuildRoom(prepared, static_cast<int32_t>(r), room);
        }
    });
    keys.emplace_back("scene_build_ms", buildMs);
    keys.emplace_back("scene_rooms_ms", roomsMs);
    keys.emplace_back("scene_walk_ms", walkMs);
    keys.emplace_back("scene_triangles", static_cast<double>(triangles));
    keys.emplace_back("scene_mb",
                      static_cast<double>(triangles * sizeof(scene::Triangle)) / (1024.0 * 1024.0));
}
