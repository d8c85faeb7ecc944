#!/usr/bin/env bash
# Times 20 copies of a 1,000-file tree three ways, in one run on this machine: our xcopy.exe,
# Wine's builtin xcopy (override bypassed) and `cp -r` on the Linux side. Both xcopys run
# without /O (the builtin refuses it) and are started from one cmd.exe, as a Windows program
# starts them; ours with /O is timed as well. Usage: scripts/bench-xcopy.sh [copies] [files]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
COPIES=${1:-20}
FILES=${2:-1000}
[ -f build/tools/xcopy/xcopy.exe ] || { echo "build first (make build)" >&2; exit 1; }
scripts/prefix.sh
source scripts/session.sh
ktora_session_start

work=$(mktemp -d "$PWD/build/bench-xcopy.XXXXXX")
cleanup() { rm -rf "$work"; ktora_session_stop; }
trap cleanup EXIT
win() { local p="Z:$1"; echo "${p//\//\\}"; }

# The tree: 10 folders of 10 subfolders, FILES files spread over them, 0 to 16 KiB each.
src="$work/src"
for ((i = 0; i < FILES; i++)); do
    d="$src/d$((i % 10))/s$((i / 10 % 10))"
    [ -d "$d" ] || mkdir -p "$d"
    head -c $(((i * 7919) % 16384)) /dev/urandom >"$d/f$i.dat"
done
mkdir -p "$src/empty"
bytes=$(du -sb "$src" | cut -f1)

script() { # name switches -> a .cmd that makes COPIES copies
    local f="$work/$1.cmd"
    : >"$f"
    for ((n = 1; n <= COPIES; n++)); do
        printf 'xcopy %s "%s" "%s\\"\r\n' "$2" "$(win "$src")" "$(win "$work/$1/$n")" >>"$f"
    done
    echo "$f"
}
run_cmd() { # name switches [overrides]
    local f start end
    f=$(script "$1" "$2")
    start=$(date +%s.%N)
    WINEDLLOVERRIDES=${3:-$WINEDLLOVERRIDES} wine cmd /c "$(win "$f")" >"$work/$1.log" 2>&1
    end=$(date +%s.%N)
    awk "BEGIN { print $end - $start }"
}
check() { # name -> number of files in every copy must match the source
    local n want got
    want=$(find "$src" -type f | wc -l)
    for ((n = 1; n <= COPIES; n++)); do
        got=$(find "$work/$1/$n" -type f 2>/dev/null | wc -l)
        [ "$got" = "$want" ] || { echo "$1 copy $n: $got of $want files" >&2; return 1; }
    done
}

# Which xcopy runs: ours accepts /O, the builtin refuses it.
wine cmd /c xcopy /O /Y "$(win "$src/d0/s0/f0.dat")" "$(win "$work/probe")\\" >/dev/null 2>&1 ||
    { echo "ours is not the xcopy of the prefix" >&2; exit 1; }
if WINEDLLOVERRIDES="$WINEDLLOVERRIDES;xcopy.exe=b" wine cmd /c xcopy /O /Y \
    "$(win "$src/d0/s0/f0.dat")" "$(win "$work/probe2")\\" >/dev/null 2>&1; then
    echo "the builtin could not be selected" >&2
    exit 1
fi
cp -r "$src" "$work/warm" && rm -rf "$work/warm" # warm the page cache

t_ours=$(run_cmd ours "/E /C /H /Y")
check ours
t_builtin=$(run_cmd builtin "/E /C /H /Y" "$WINEDLLOVERRIDES;xcopy.exe=b")
check builtin
t_ours_o=$(run_cmd ours_o "/E /C /H /O /Y")
check ours_o
start=$(date +%s.%N)
for ((n = 1; n <= COPIES; n++)); do cp -r "$src" "$work/cp$n"; done
end=$(date +%s.%N)
t_cp=$(awk "BEGIN { print $end - $start }")

printf '%d copies of %d files (%d bytes), %s, %s cores\n' "$COPIES" "$FILES" "$bytes" "$(date -u)" "$(nproc)"
printf '%-32s %8.2f s  %6.2f x cp -r\n' "ours (/E /C /H /Y)" "$t_ours" "$(awk "BEGIN { print $t_ours / $t_cp }")"
printf '%-32s %8.2f s  %6.2f x cp -r\n' "Wine builtin (/E /C /H /Y)" "$t_builtin" "$(awk "BEGIN { print $t_builtin / $t_cp }")"
printf '%-32s %8.2f s  %6.2f x cp -r\n' "ours with /O" "$t_ours_o" "$(awk "BEGIN { print $t_ours_o / $t_cp }")"
printf '%-32s %8.2f s  %6.2f x cp -r\n' "cp -r" "$t_cp" 1
printf 'ours / builtin: %.2f\n' "$(awk "BEGIN { print $t_ours / $t_builtin }")"
