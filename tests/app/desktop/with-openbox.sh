#!/usr/bin/env bash
# Runs a command on a real X11 desktop of its own: a fresh Xvfb screen of the given size with
# the openbox window manager, the xcb platform. Everything started here is stopped at the end.
#   with-openbox.sh WIDTHxHEIGHT COMMAND [ARGS...]
set -euo pipefail
size=$1
shift

runtime=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts connections.
exec 3>"$runtime/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >"$runtime/xvfb.log" 2>&1 &
server=$!
exec 3>&-
# However long a busy machine takes; only a server that has died ends the wait.
until [ -s "$runtime/display" ]; do
    kill -0 "$server" 2>/dev/null || { cat "$runtime/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$runtime/display")"

# An empty configuration folder: openbox's defaults, whatever the machine's user has set.
export XDG_CONFIG_HOME="$runtime/config" XDG_RUNTIME_DIR="$runtime"
mkdir -p "$XDG_CONFIG_HOME"
chmod 700 "$runtime"
# openbox runs its start-up command once it manages the screen: a window mapped before that (a
# test's panel) could be missed, and its strut never taken off the work area.
openbox --sm-disable --startup "touch '$runtime/ready'" >"$runtime/openbox.log" 2>&1 &
wm=$!
until [ -e "$runtime/ready" ]; do
    kill -0 "$wm" 2>/dev/null || { cat "$runtime/openbox.log" >&2; exit 1; }
    sleep 0.1
done

export QT_QPA_PLATFORM=xcb
"$@"
