#!/usr/bin/env bash
# Times whole dapplewright-cli runs with hyperfine, the release build, on a
# 768x512 photo: one run per mode of the mode table, then a batch of 100
# copies of it converted to standard screens with -j $(nproc) and with -j 1,
# in pictures per second. Builds the release preset first when needed.
# Extra arguments go to every hyperfine run (e.g. --runs 5).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

[ -f build/release/build.ninja ] || cmake --preset release >/dev/null
cmake --build --preset release --target dapplewright-cli >/dev/null
cli="$PWD/build/release/src/cli/dapplewright-cli"
photo="$PWD/tests/data/photos/kodim23.png"

work=$(mktemp -d /tmp/dw-bench-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT

modes=$("$cli" convert --help | sed -n 's/.*--mode .*Screen mode: //p' | tr -d ' ')
echo "== One picture ($(basename "$photo")), each mode"
hyperfine -N --warmup 1 --parameter-list mode "$modes" "$@" \
  -n "mode {mode}" "'$cli' convert '$photo' --mode {mode} -o '$work'/one.{mode}"

mkdir "$work/batch"
for i in $(seq -w 1 100); do ln -s "$photo" "$work/batch/frame-$i.png"; done
echo
echo "== 100 pictures, --mode 6912"
frames=$(printf "'%s' " "$work"/batch/*.png)
hyperfine -N --warmup 1 --parameter-list jobs "$(nproc),1" --export-csv "$work/batch.csv" "$@" \
  -n "100 pictures -j {jobs}" "'$cli' convert $frames --mode 6912 -j {jobs}"
awk -F, 'NR > 1 { printf "-j %s: %.1f pictures per second\n", $NF, 100 / $2 }' "$work/batch.csv"
