#!/usr/bin/env bash
# Runs our exports in the Fuse emulator under a virtual display and compares
# what it shows with `dapplewright-cli render`, pixel by pixel, as colour
# numbers (the two palettes differ): the 48K tape (typed LOAD "" with tape
# traps), the 48K snapshot, the 128K gigascreen snapshot (several grabs, each
# must be one of the pair's two screens) and the Timex hi-colour snapshot.
# Fuse gets the free OpenSE ROM for every machine, which is enough for the
# snapshots, whose code runs from RAM. A person runs this; it is no test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh emulator

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target dapplewright-cli
cli=$PWD/build/release/src/cli/dapplewright-cli
rom=/usr/share/spectrum-roms/opense.rom

work=$(mktemp -d)
cd "$work"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
trap 'kill -KILL "${fuse:-}" 2>/dev/null; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display SDL_AUDIODRIVER=dummy
sleep 1

cp "$OLDPWD/samples/astronaut.png" .
"$cli" convert astronaut.png --mode 6912 -o photo.scr >/dev/null
"$cli" convert astronaut.png --mode giga -o pair.img >/dev/null
"$cli" convert astronaut.png --mode mc -o hi.mc >/dev/null
for out in photo.tap photo.z80; do "$cli" export photo.scr -o "$out" >/dev/null; done
"$cli" export pair.img -o pair.z80 >/dev/null
"$cli" export hi.mc -o hi.z80 >/dev/null
"$cli" render photo.scr -o photo.png >/dev/null
"$cli" render hi.mc -o hi.png >/dev/null
for frame in 1 2; do "$cli" render pair.img --frame "$frame" -o "frame$frame.png" >/dev/null; done

# One colour number per pixel of the 256x192 picture area: blue 1, red 2,
# green 4, and 8 when a component is above `bright`; black is 0.
colours() { # PICTURE X Y SCALE BRIGHT
  convert "$1" -crop "$((256 * $4))x$((192 * $4))+$2+$3" +repage -sample 256x192! -depth 8 txt:- |
    awk -v bright="$5" -F'[(),]+' 'NR > 1 {
      n = ($5 > 40) + 2 * ($3 > 40) + 4 * ($4 > 40)
      if (n && ($3 > bright || $4 > bright || $5 > bright)) n += 8
      printf "%d\n", n }'
}
# Pixels whose colour numbers differ between Fuse's grab and our picture.
differing() { # GRAB X Y SCALE PICTURE
  colours "$1" "$2" "$3" "$4" 224 >grab.txt
  colours "$5" 0 0 1 189 >ours.txt
  paste grab.txt ours.txt | awk '$1 != $2' | wc -l
}

start_fuse() { # ARGUMENTS...
  fuse-sdl --no-sound "$@" >fuse.log 2>&1 &
  fuse=$!
  sleep 4
  window=$(xdotool search --name . | tail -n 1)
}
# Fuse asks before it ends on SIGTERM.
stop_fuse() { kill -KILL "$fuse" 2>/dev/null || true; wait "$fuse" 2>/dev/null || true; }
grab() { import -window root "$1"; }
press() { # KEY: held long enough for the emulated keyboard scan
  xdotool keydown --window "$window" "$1"; sleep 0.15; xdotool keyup --window "$window" "$1"; sleep 0.3
}

status=0
report() { # NAME DIFFERING
  if [ "$2" -eq 0 ]; then echo "$1: every pixel has our colour number"; else echo "$1: $2 pixels differ"; status=1; fi
}

start_fuse --machine 48 --rom-48 "$rom" --traps --tape photo.tap
press Return  # past the start-up message
for key in l o a d space; do press "$key"; done
xdotool keydown --window "$window" Control_L; press p; press p; xdotool keyup --window "$window" Control_L  # symbol shift + P: the quotes
press Return
sleep 15
grab tape.png
stop_fuse
report "48K tape" "$(differing tape.png 32 24 1 photo.png)"

start_fuse --machine 48 --rom-48 "$rom" --snapshot photo.z80
grab snapshot48.png
stop_fuse
report "48K snapshot" "$(differing snapshot48.png 32 24 1 photo.png)"

start_fuse --machine 128 --rom-128-0 "$rom" --rom-128-1 "$rom" --snapshot pair.z80
for i in 1 2 3 4 5 6; do grab "giga$i.png"; sleep 0.13; done
stop_fuse
for i in 1 2 3 4 5 6; do
  one=$(differing "giga$i.png" 32 24 1 frame1.png) two=$(differing "giga$i.png" 32 24 1 frame2.png)
  if [ "$one" -eq 0 ] || [ "$two" -eq 0 ]; then
    echo "128K gigascreen grab $i: screen $([ "$one" -eq 0 ] && echo 1 || echo 2)"
  else
    echo "128K gigascreen grab $i: neither screen ($one and $two pixels differ)"; status=1
  fi
done

# The Timex display is drawn at twice the size, for its 512-pixel mode.
start_fuse --machine 2048 --rom-tc2048 "$rom" --snapshot hi.z80
grab timex.png
stop_fuse
report "Timex hi-colour snapshot" "$(differing timex.png 64 48 2 hi.png)"
exit "$status"
