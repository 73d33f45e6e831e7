#!/usr/bin/env bash
# Starts the built program on a virtual X display, draws a stroke on it with synthetic mouse
# input, takes a screenshot, and checks the program is still running; also that it refuses to
# start, with one line and a non-zero code, where no display can be opened.
# Usage: smoke_xvfb.sh <program folder> <output folder>
set -u
bin=$1
out=$2
mkdir -p "$out"

# No display at all.
msg=$(cd "$bin" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 ASAN_OPTIONS=detect_leaks=0 ./VelSlatoraEdu 2>&1 </dev/null)
code=$?
if [ $code -eq 0 ] || [ "$(printf '%s\n' "$msg" | wc -l)" -ne 1 ]; then
  echo "without a display: code $code, output: $msg"; exit 1
fi

for tool in Xvfb xdotool xwd; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
# A display number no one else uses.
n=$(( 90 + $$ % 500 ))
while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $prog 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:$n
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$bin" && SDL_AUDIODRIVER=dummy exec ./VelSlatoraEdu) >"$out/smoke.log" 2>&1 &
prog=$!
for _ in $(seq 100); do xdotool search --name VelSlatoraEdu >/dev/null 2>&1 && break; sleep 0.1; done
# The window is there once the board's green covers the screen.
here=$(dirname "$0")
shot() { xwd -root -silent >"$out/smoke.xwd" && python3 "$here/xwd_probe.py" "$out/smoke.xwd" "$out/main_smoke_xvfb.png" "$@"; }
for _ in $(seq 100); do [ "$(shot 640,100 2>/dev/null)" = "005000" ] && break; sleep 0.1; done
xdotool mousemove 300 200 mousedown 1
for x in $(seq 300 20 900); do xdotool mousemove $x $(( 200 + (x - 300) / 3 )); done
xdotool mouseup 1 mousemove 640 500
points="640,100"
for x in $(seq 340 40 860); do points="$points $x,$(( 200 + (x - 300) / 3 ))"; done
# Polled until the stroke shows (the program draws at its own pace).
for _ in $(seq 100); do
  kill -0 $prog 2>/dev/null || { echo "the program ended:"; cat "$out/smoke.log"; exit 1; }
  values=$(shot $points) || exit 1
  board=$(echo "$values" | head -1)
  drawn=$(echo "$values" | tail -n +2 | grep -vc '^005000$')
  [ "$board" = "005000" ] && [ "$drawn" -ge 10 ] && break
  sleep 0.1
done
echo "board at (640,100): $board, stroke pixels drawn: $drawn of 14"
[ "$board" = "005000" ] && [ "$drawn" -ge 10 ] || exit 1
