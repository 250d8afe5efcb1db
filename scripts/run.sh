#!/usr/bin/env bash
# The main job: install what the build needs and build the release preset.
# With a display (DISPLAY or WAYLAND_DISPLAY set) it opens the window on a
# copy of the bundled sample picture, so the files the window writes land in
# build/sample. Without one it converts the sample picture with the CLI to a
# standard screen, rendered back to a PNG, and to the other six modes.
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

# The other six modes, each with its screen preview (and the model and layer
# pictures of the two R modes). They convert a copy of the sample picture in
# the sample folder, because the R-Mode run saves "layer1.bmp" and
# "layer2.bmp" in the picture's folder.
cp samples/chelsea.png "$out/chelsea.png"
for mode in giga mc mcx 8col rmode r48; do
  extra=()
  case "$mode" in
    giga) ext=img ;;
    8col) ext=3 ;;
    rmode) ext=rm extra=(--model "$out/chelsea-rmode-model.png" --layers "$out/chelsea-rmode-layer") ;;
    r48) ext=r48 extra=(--model "$out/chelsea-r48-model.png") ;;
    *) ext=$mode ;;
  esac
  "$cli" convert "$out/chelsea.png" --mode "$mode" -o "$out/chelsea.$ext" \
    --preview "$out/chelsea-$mode-preview.png" ${extra[@]+"${extra[@]}"}
done

echo
echo "Sample picture:    samples/chelsea.png"
echo "Spectrum screen:   $out/chelsea.scr"
echo "Rendered screen:   $out/chelsea-screen.png"
echo "Converter preview: $out/chelsea-preview.png"
echo "Other modes:       $out/chelsea.{img,mc,mcx,3,rm,r48}, previews $out/chelsea-MODE-preview.png"
