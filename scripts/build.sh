#!/usr/bin/env bash
# Installs what is missing, configures and builds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
[ -f build/CMakeCache.txt ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 -- ${KTORA_NINJA_ARGS:-}
scripts/prefix.sh
