#include "ui/DisplayCheck.h"

#include <cstring>

bool DisplayAvailable(const std::function<const char*(const char*)>& env, int argc, char* argv[]) {
#if defined(__linux__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = env(name); value && *value)
            return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0)
            return true;
    return false;
#else
    (void)env, (void)argc, (void)argv;
    return true;
#endif
}
