#!/usr/bin/env bash
# Starts the real program under a virtual display with the sample picture,
# opens the zoom window, presses "to Gigascreen" and saves a screenshot of
# the window to docs/screenshot-gigascreen.png, and of the zoom window at 3x
# showing each frame of the pair to docs/screenshot-zoom-frame1.png and
# docs/screenshot-zoom-frame2.png; then turns "live" on, clears "Floyd" and
# grabs the window showing the live result to docs/screenshot-live.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh screenshot

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target dapplewright

work=$(mktemp -d)
cp samples/astronaut.png "$work/"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 2600x1000x24 -nolisten tcp &
xvfb=$!
trap 'kill "${app:-}" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1

build/release/src/ui/dapplewright "$work/astronaut.png" &
app=$!
window=$(xdotool search --sync --onlyvisible --name '^Dapplewright$' | head -n 1)

# A double click on the screen view opens the zoom window (before the run,
# while the brush is off); without a window manager it is moved aside by hand.
xdotool mousemove --window "$window" 400 120 click --repeat 2 --delay 80 1
zoom=$(xdotool search --sync --onlyvisible --name '^Zoom$' | head -n 1)
xdotool windowmove "$zoom" 800 0

# "to Gigascreen" sits at (192, 440), 73x17, in the window's client area.
xdotool mousemove --window "$window" 228 448 click 1
for _ in $(seq 1 120); do
  [ -s "$work/astronaut.img" ] && break
  sleep 0.5
done
[ -s "$work/astronaut.img" ] || { echo "the gigascreen run wrote no file" >&2; exit 1; }
sleep 1

mkdir -p docs
import -window "$window" docs/screenshot-gigascreen.png
echo "Screenshot: docs/screenshot-gigascreen.png"

# The zoom window fits its pictures at 3x; its second list chooses the frame.
xdotool windowfocus --sync "$zoom"
xdotool key Tab f
sleep 1
import -window "$zoom" docs/screenshot-zoom-frame1.png
xdotool key Down
sleep 1
import -window "$zoom" docs/screenshot-zoom-frame2.png
echo "Screenshots: docs/screenshot-zoom-frame1.png, docs/screenshot-zoom-frame2.png"

# "live" sits at (352, 440) and "Floyd" at (200, 336), 17 high: the gigascreen
# converts again with the ordered pattern, and its file stays as it was.
written=$(md5sum < "$work/astronaut.img")
xdotool mousemove --window "$window" 360 448 click 1
xdotool mousemove --window "$window" 210 344 click 1
sleep 2
[ "$(md5sum < "$work/astronaut.img")" = "$written" ] || { echo "the live run wrote the file" >&2; exit 1; }
import -window "$window" docs/screenshot-live.png
echo "Screenshot: docs/screenshot-live.png"
