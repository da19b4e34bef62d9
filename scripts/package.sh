#!/usr/bin/env bash
# Builds what is handed out, in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/package-windows.sh
