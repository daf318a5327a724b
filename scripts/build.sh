#!/usr/bin/env bash
# Configures and builds Tessel into build/ (or the folder given).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -G Ninja "$@" >/dev/null
ninja -C "$build" -j"$(nproc)"
