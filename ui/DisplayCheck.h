#pragma once
// Whether the windows can be shown at all: without a display the windowing would abort the program.
#include <functional>

// True when the environment names a display (DISPLAY, WAYLAND_DISPLAY), a platform is chosen
// (QT_QPA_PLATFORM, or "-platform" among the arguments), or the system has a display of its own
// (anything but X11 and Wayland systems). env reads one environment variable (null when unset).
bool DisplayAvailable(const std::function<const char*(const char*)>& env, int argc, char* argv[]);

// The line printed instead of the windows.
inline constexpr const char* kNoDisplayMessage =
    "strata-viewer: no display to show its windows on (DISPLAY and WAYLAND_DISPLAY are not set); "
    "strata-report writes the same report without windows";
