#!/usr/bin/env bash
# Times the tree copier in one run on this machine: one walk into N targets (each source file
# read once, written N times) with 1..8 writer threads, against N walks of the same copier into
# one target each and N bare CopyFileW walks; on a 1,000-file tree and on one large file, and
# with small files sent per target through CopyFileExW. The copying process's rchar (bytes its
# reads returned, start-up included, last value sampled every 20 ms) is shown beside each: on
# the tree it tells one read from eight; on the large file the one-walk rows stayed below the
# file's size under Wine 8 here, so there only tests/copier's count of ReadFile bytes proves it.
# Usage: scripts/bench-copier.sh [targets] [rounds] [large file MiB]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
TARGETS=${1:-8}
ROUNDS=${2:-3}
MIB=${3:-64}
exe=build/bench/bench_copier.exe
[ -f "$exe" ] || { echo "build first (make build)" >&2; exit 1; }
scripts/prefix.sh
source scripts/session.sh
ktora_session_start

work=$(mktemp -d "$PWD/build/bench-copier.XXXXXX")
cleanup() { rm -rf "$work"; ktora_session_stop; }
trap cleanup EXIT
win() { local p="Z:$1"; echo "${p//\//\\}"; }

# 10 folders of 10 subfolders, 1,000 files of 0 to 22 KiB (about 11 MB), an empty folder.
tree=$work/tree
for ((i = 0; i < 1000; i++)); do
    d=$tree/d$((i % 10))/s$((i / 10 % 10))
    [ -d "$d" ] || mkdir -p "$d"
    head -c $(((i * 7919) % 22528)) /dev/urandom >"$d/f$i.dat"
done
mkdir -p "$tree/empty"
large=$work/large
mkdir -p "$large"
head -c $((MIB << 20)) /dev/urandom >"$large/large.bin"

# One run: prints its line; for the large file also the process's rchar at its end.
run() { # way source targets writers [wholeBelow]
    local out=$work/out
    rm -rf "$out" && mkdir -p "$out" && sync
    scripts/wine-run.sh "$exe" "$1" "$(win "$2")" "$(win "$out")" "$3" "$4" "${5:-0}" \
        </dev/null >"$work/line" 2>/dev/null &
    local pid=$! rchar=0 now
    # exec keeps the pid: the wrapper becomes the Wine process that copies.
    while kill -0 "$pid" 2>/dev/null; do
        now=$(awk '/^rchar/ { print $2 }' "/proc/$pid/io" 2>/dev/null || true)
        [ -n "$now" ] && rchar=$now
        sleep 0.02
    done
    wait "$pid" || true
    echo "$(tr -d '\r' <"$work/line") $rchar"
}
median() { sort -n | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
measure() { # label way source targets writers [wholeBelow]
    local label=$1
    shift
    local times=() state=complete r line
    for ((r = 0; r < ROUNDS; r++)); do
        line=$(run "$@")
        times+=("$(echo "$line" | cut -d' ' -f5)")
        [[ "$line" == *complete* && "$line" != *INCOMPLETE* ]] || state=INCOMPLETE
    done
    printf '%-46s best %7.3f s  median %7.3f s  rchar %6.1f MiB  %s\n' "$label" \
        "$(printf '%s\n' "${times[@]}" | sort -n | head -n1)" \
        "$(printf '%s\n' "${times[@]}" | median)" \
        "$(awk -v r="$(echo "$line" | cut -d' ' -f7)" 'BEGIN { print r / 1048576 }')" "$state"
}

echo "tree copier, $TARGETS targets, $ROUNDS rounds, $(date -u), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "1,000-file tree ($(du -sb "$tree" | cut -f1) bytes):"
measure "  bare CopyFileW walk x $TARGETS" walk "$tree" "$TARGETS" 1
measure "  copier, one target at a time x $TARGETS" each "$tree" "$TARGETS" 1
for w in 1 2 4 8; do
    measure "  copier, one walk, $w writer(s)" engine "$tree" "$TARGETS" "$w"
done
for below in 4096 65536; do
    measure "  copier, 4 writers, CopyFileExW below $below" engine "$tree" "$TARGETS" 4 "$below"
done
echo "one file of $MIB MiB:"
measure "  bare CopyFileW walk x $TARGETS" walk "$large" "$TARGETS" 1
measure "  copier, one target at a time x $TARGETS" each "$large" "$TARGETS" 1
for w in 1 2 4 8; do
    measure "  copier, one walk, $w writer(s)" engine "$large" "$TARGETS" "$w"
done
