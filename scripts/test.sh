#!/usr/bin/env bash
# Builds and runs every test: the developer build, then the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, then a short smoke run of
# each fuzz target on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
for preset in dev asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

bash scripts/fuzz-smoke.sh
