#!/usr/bin/env bash
# Starts the built program on a virtual X display, draws a stroke on it with synthetic mouse
# input, takes a screenshot, and checks the program is still running; also that it refuses to
# start, with one line and a non-zero code, where no display can be opened.
# Every wait is bounded, and a failure says which step failed and what the program printed.
# Usage: smoke_xvfb.sh <program folder> <output folder>
set -u
bin=$1
out=$2
here=$(dirname "$0")
mkdir -p "$out"
step() { echo "[$SECONDS s] $*"; }
# No session bus: the display library would otherwise try to start one through the X display.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus

step "without a display"
msg=$(cd "$bin" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS=detect_leaks=0 timeout 30 ./VelSlatoraEdu 2>&1 </dev/null)
code=$?
if [ $code -eq 0 ] || [ $code -eq 124 ] || [ "$(printf '%s\n' "$msg" | wc -l)" -ne 1 ]; then
  echo "without a display: code $code, output: $msg"; exit 1
fi

for tool in Xvfb xdotool xwd; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
# A display number no one else uses.
n=$(( 90 + $$ % 500 ))
while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
step "Xvfb :$n"
Xvfb :$n -screen 0 1280x720x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
prog=
trap '[ -n "$prog" ] && kill $prog 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:$n
x() { timeout 10 xdotool "$@"; }
for _ in $(seq 100); do x getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
x getmouselocation >/dev/null 2>&1 || { echo "Xvfb did not start:"; cat "$out/xvfb.log"; exit 1; }

step "the program"
(cd "$bin" && SDL_AUDIODRIVER=dummy exec ./VelSlatoraEdu) >"$out/smoke.log" 2>&1 &
prog=$!
fail() {
  echo "$1"
  kill -0 $prog 2>/dev/null || echo "(the program has ended)"
  echo "--- what the program printed:"; cat "$out/smoke.log"; exit 1
}
watch() { timeout 120 python3 "$here/xwd_probe.py" "$@"; }
# The window is there once the board's green covers the screen.
watch 40 "$out/smoke.xwd" - 005000 0 640,100 >/dev/null || fail "no board on the screen after 40 s"

step "a stroke"
x mousemove 300 200 mousedown 1
for px in $(seq 300 20 900); do x mousemove $px $(( 200 + (px - 300) / 3 )); done
x mouseup 1 mousemove 640 500
points="640,100"
for px in $(seq 340 40 860); do points="$points $px,$(( 200 + (px - 300) / 3 ))"; done
# Polled until the stroke shows (the program draws at its own pace).
values=$(watch 30 "$out/smoke.xwd" "$out/main_smoke_xvfb.png" 005000 12 $points)
ok=$?
board=$(echo "$values" | head -1)
drawn=$(echo "$values" | sed -n 2p)
step "board at (640,100): $board, stroke pixels drawn: $drawn of 14"
[ $ok -eq 0 ] || fail "the stroke did not show"
kill -0 $prog 2>/dev/null || fail "the program ended"
