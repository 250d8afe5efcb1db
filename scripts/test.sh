#!/usr/bin/env bash
# Builds and runs every test: the developer build, then the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, the side-by-side conversions
# under ThreadSanitizer, then a short smoke run of
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

# Conversions side by side, under ThreadSanitizer.
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan

bash scripts/fuzz-smoke.sh
