#!/usr/bin/env bash
# Configures and builds Tessel into build/ (or the folder given). Extra
# arguments go to cmake; TESSEL_BUILD_TARGETS names the targets to build
# (default: everything).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -G Ninja "$@" >/dev/null
# shellcheck disable=SC2086
ninja -C "$build" -j"$(nproc)" ${TESSEL_BUILD_TARGETS:-}
