#!/bin/sh
# Runs a window test that needs OpenGL on an X server with Mesa's software renderer: a private Xvfb
# where xvfb-run is installed, else the X server in DISPLAY. Exits 77 (skipped) where neither is there.
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
if command -v xvfb-run >/dev/null 2>&1; then
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$@"
fi
if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
echo "No X server (neither xvfb-run nor DISPLAY): the 3D view's tests are skipped" >&2
exit 77
