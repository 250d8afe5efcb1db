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
  cp samples/astronaut.png "$out/astronaut.png"
  echo "Opening the window on $out/astronaut.png..."
  exec "$window" "$out/astronaut.png"
fi

"$cli" convert samples/astronaut.png --mode 6912 -o "$out/astronaut.scr" --preview "$out/astronaut-preview.png"
"$cli" render "$out/astronaut.scr" -o "$out/astronaut-screen.png"

# The other six modes, each with its screen preview (and the model and layer
# pictures of the two R modes). They convert a copy of the sample picture in
# the sample folder, because the R-Mode run saves "layer1.bmp" and
# "layer2.bmp" in the picture's folder.
cp samples/astronaut.png "$out/astronaut.png"
for mode in giga mc mcx 8col rmode r48; do
  extra=()
  case "$mode" in
    giga) ext=img ;;
    8col) ext=3 ;;
    rmode) ext=rm extra=(--model "$out/astronaut-rmode-model.png" --layers "$out/astronaut-rmode-layer") ;;
    r48) ext=r48 extra=(--model "$out/astronaut-r48-model.png") ;;
    *) ext=$mode ;;
  esac
  "$cli" convert "$out/astronaut.png" --mode "$mode" -o "$out/astronaut.$ext" \
    --preview "$out/astronaut-$mode-preview.png" ${extra[@]+"${extra[@]}"}
done

echo
echo "Sample picture:    samples/astronaut.png"
echo "Spectrum screen:   $out/astronaut.scr"
echo "Rendered screen:   $out/astronaut-screen.png"
echo "Converter preview: $out/astronaut-preview.png"
echo "Other modes:       $out/astronaut.{img,mc,mcx,3,rm,r48}, previews $out/astronaut-MODE-preview.png"
