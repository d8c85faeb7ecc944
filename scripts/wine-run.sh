#!/usr/bin/env bash
# Runs one Windows program in the project's prefix (CMake's cross-compiling emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
