#!/usr/bin/env bash
# The main job: install what the build needs, build the release preset, then
# convert the bundled sample picture to a standard screen and render that
# screen back to a PNG. Opens the window afterwards when a display is there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

cli=build/release/src/cli/dapplewright-cli
out=build/sample
mkdir -p "$out"

"$cli" convert samples/chelsea.png --mode 6912 -o "$out/chelsea.scr" --preview "$out/chelsea-preview.png"
"$cli" render "$out/chelsea.scr" -o "$out/chelsea-screen.png"

echo
echo "Sample picture:    samples/chelsea.png"
echo "Spectrum screen:   $out/chelsea.scr"
echo "Rendered screen:   $out/chelsea-screen.png"
echo "Converter preview: $out/chelsea-preview.png"

window=build/release/src/ui/dapplewright
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$window" ]; then
  echo "Opening the window..."
  "$window"
fi
