#!/usr/bin/env bash
# The main job: install what the build needs and build the release preset.
# With a display (DISPLAY or WAYLAND_DISPLAY set) it opens the window on a
# copy of the bundled sample picture, so the files the window writes land in
# build/sample. Without one it converts the sample picture to a standard
# screen with the CLI and renders that screen back to a PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

cli=build/release/src/cli/dapplewright-cli
window=build/release/src/ui/dapplewright
out=build/sample
mkdir -p "$out"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$window" ]; then
  cp samples/chelsea.png "$out/chelsea.png"
  echo "Opening the window on $out/chelsea.png..."
  exec "$window" "$out/chelsea.png"
fi

"$cli" convert samples/chelsea.png --mode 6912 -o "$out/chelsea.scr" --preview "$out/chelsea-preview.png"
"$cli" render "$out/chelsea.scr" -o "$out/chelsea-screen.png"

echo
echo "Sample picture:    samples/chelsea.png"
echo "Spectrum screen:   $out/chelsea.scr"
echo "Rendered screen:   $out/chelsea-screen.png"
echo "Converter preview: $out/chelsea-preview.png"
