#!/usr/bin/env bash
# Sets up Tessel on a fresh Debian 12 machine and runs its demo script.
# Builds only what the demo needs (the program and its voice); everything but
# the apt packages stays inside build/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/install-packages.sh"
TESSEL_BUILD_TARGETS="tessel voice" bash "$top/scripts/build.sh" "$top/build"
exec "$top/build/demo/run-demo"
