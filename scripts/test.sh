#!/usr/bin/env bash
# Builds, then runs every test under Wine (ACP 932) with a virtual display. Extra
# arguments go to ctest (for example -R test_file).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/build.sh
source scripts/session.sh
ktora_session_start

failed_list=build/Testing/Temporary/LastTestsFailed.log
rm -f "$failed_list"
first_log=$(mktemp)
status=0
ctest --preset win64 -j2 "$@" 2>&1 | tee "$first_log" || status=$?
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$first_log" | tail -n1)
total=${total:-0}
rm -f "$first_log"
if [ "$status" -eq 0 ]; then
    echo "tests: $total passed, 0 failed"
    exit 0
fi
if [ ! -s "$failed_list" ]; then
    echo "tests: 0 passed, $total failed" # ctest itself failed
    exit "$status"
fi
# A test that failed is run once more, alone: under heavy load Wine now and then fails to start a
# process at all. A real fault fails both times, and every retried test is named, so that a
# test that passes only on a retry is looked into, not taken as noise.
retried=$(cut -d: -f2 "$failed_list" | tr '\n' ' ')
echo "retrying once: $retried"
status=0
ctest --preset win64 --rerun-failed "$@" || status=$?
still=0
if [ "$status" -ne 0 ] && [ -s "$failed_list" ]; then
    still=$(wc -l <"$failed_list")
fi
echo "tests that needed a retry: $retried"
echo "tests: $((total - still)) passed, $still failed"
exit "$status"
