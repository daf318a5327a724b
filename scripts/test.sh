#!/usr/bin/env bash
# Sets up Tessel on a fresh Debian 12 machine, builds it and runs its tests.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/install-packages.sh"
bash "$top/scripts/build.sh" "$top/build"
ctest --test-dir "$top/build" -j"$(nproc)" --output-on-failure
