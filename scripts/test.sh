#!/usr/bin/env bash
# Builds, then runs every test under Wine (ACP 932) with a virtual display. Extra
# arguments go to ctest (for example -R test_file).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/build.sh
source scripts/session.sh
ktora_session_start
# A test that fails is run once more: under heavy load Wine now and then fails to start a
# process at all. A real fault fails both times.
ctest --preset win64 -j2 --repeat until-pass:2 "$@"
