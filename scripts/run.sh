#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Tamrel and runs build/tamrel with
# the settings file beside it (build/tamrel.set).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build
cmake --build build -j"$(nproc)"
exec ./build/tamrel
