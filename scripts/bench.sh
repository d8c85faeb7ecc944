#!/usr/bin/env bash
# make bench: measures and reports, in one run on this machine; it never fails on a figure.
#  (a) N copies of a sample tree through Kasumido's batch run vs the same N copier command lines
#      started directly (ratio batch/direct, median of alternating rounds);
#  (b) MB/s of the library's Japanese conversions, Base64 and quoted-printable beside iconv,
#      base64 and Python's quopri on Linux;
#  (c) C_IniFile::GetStr over 100/1,000/10,000 keys and C_Find over folders of as many files;
#  (d) the copy plan: a preview update and a full plan for 3 and 2,000,000,000 copies, a
#      preview from a names file of 100,000 names (first read, then unchanged), the
#      overwrite check on a container of 10,000 folders;
#  (e) 20 copies of a 1,000-file tree: the batch run (which checks every copy against the
#      source) vs direct copier starts, and the batch run with 1, 2 and 4 copiers at once.
#  (f) our xcopy.exe (with /O and without) vs a bare FindFirstFileExW + CopyFileW walk vs cp -r,
#      copies of a 1,000-file tree, each copier copy a process of its own.
#  (g) the built-in copier (/c 1) as a whole batch process vs the bare walk of (f) making the
#      same copies in one process: 100 copies of a 3-file folder (and xcopy's path with /j 1
#      and /j 4), 20 copies of the 1,000-file tree, 8 copies of a 256 MB file (with the batch
#      process's rchar over a one-small-copy run), and Ctrl+C to the end of a run of 20 copies.
# Figures also go to build/bench/report.txt. BENCH_ONLY=fg (for instance) runs only those parts.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
scripts/build.sh >/dev/null

copies=${BENCH_COPIES:-20}
rounds=${BENCH_ROUNDS:-9}
work=$root/build/bench/work
raw=$root/build/bench/raw.txt
report=$root/build/bench/report.txt
rm -rf "$work"
mkdir -p "$work/src/photo"
: >"$raw"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
only=${BENCH_ONLY:-abcdefg}
want() { [[ $only == *$1* ]]; }

# The sample tree: 60 files from 1 KB to 256 KB in three levels, an empty folder, about 5 MB.
for d in 0 1 2; do
    dir=$work/src/photo/set$d/sub$d
    mkdir -p "$dir" "$work/src/photo/empty$d"
    for i in $(seq 1 20); do
        head -c $(((i * 13 % 256 + 1) * 1024)) /dev/urandom >"$work/src/photo/set$d/f$i.bin"
    done
    head -c 4096 /dev/urandom >"$dir/deep.bin"
done
# The larger tree: 1,000 files of 1 to 21 KB in ten folders, about 11 MB.
for d in $(seq 0 9); do
    mkdir -p "$work/src1000/photo/d$d"
    for i in $(seq 1 100); do
        head -c $(((i % 21 + 1) * 1024)) /dev/urandom >"$work/src1000/photo/d$d/f$i.bin"
    done
done
for n in 100 1000 10000; do
    mkdir -p "$work/files_$n"
    (cd "$work/files_$n" && seq -f 'file%05g.txt' 1 "$n" | xargs touch)
done

source scripts/session.sh
ktora_session_start
started=$(date +%s)

if want a && [ -f build/bench/bench_copy.exe ]; then
    echo "bench: (a) $copies copies x $rounds rounds, batch run vs direct copier starts"
    scripts/wine-run.sh build/bench/bench_copy.exe "$(winpath "$root/build/bin/kasumido-batch.exe")" \
        "$(winpath "$work/src/photo")" "$(winpath "$work")" "$copies" "$rounds" \
        "$(winpath "$raw")" </dev/null >"$work/copy.log" 2>&1 || echo "bench: bench_copy failed"
fi
if want b && [ -f build/bench/bench_text.exe ]; then
    echo "bench: (b) text conversions"
    scripts/wine-run.sh build/bench/bench_text.exe "$(winpath "$work")" "$(winpath "$raw")" \
        </dev/null >"$work/text.log" 2>&1 || echo "bench: bench_text failed"
fi
if want c && [ -f build/bench/bench_scale.exe ]; then
    echo "bench: (c) settings files and folder listings"
    scripts/wine-run.sh build/bench/bench_scale.exe "$(winpath "$work")" "$(winpath "$raw")" \
        </dev/null >"$work/scale.log" 2>&1 || echo "bench: bench_scale failed"
fi
if want d && [ -f build/bench/bench_plan.exe ]; then
    echo "bench: (d) the copy plan"
    scripts/wine-run.sh build/bench/bench_plan.exe "$(winpath "$work")" "$(winpath "$raw")" \
        </dev/null >"$work/plan.log" 2>&1 || echo "bench: bench_plan failed"
fi
if want e && [ -f build/bench/bench_copy.exe ]; then
    big_rounds=${BENCH_BIG_ROUNDS:-3}
    echo "bench: (e) $copies copies of 1,000 files x $big_rounds rounds: checked copies, parallel copiers"
    scripts/wine-run.sh build/bench/bench_copy.exe "$(winpath "$root/build/bin/kasumido-batch.exe")" \
        "$(winpath "$work/src1000/photo")" "$(winpath "$work")" "$copies" "$big_rounds" \
        "$(winpath "$raw")" big </dev/null >"$work/big.log" 2>&1 || echo "bench: bench_copy failed"
    scripts/wine-run.sh build/bench/bench_copy.exe "$(winpath "$root/build/bin/kasumido-batch.exe")" \
        "$(winpath "$work/src1000/photo")" "$(winpath "$work")" "$copies" "$big_rounds" \
        "$(winpath "$raw")" jobs </dev/null >"$work/jobs.log" 2>&1 || echo "bench: bench_copy failed"
fi

# (f) The copier against its floor under Wine and against Linux.
xcopy_copies=${BENCH_XCOPY_COPIES:-5}
xcopy_rounds=${BENCH_XCOPY_ROUNDS:-5}
if want f && [ -f build/bench/bench_xcopy.exe ] && [ -f build/tools/xcopy/xcopy.exe ]; then
    echo "bench: (f) $xcopy_copies copies x $xcopy_rounds rounds, our xcopy vs a bare CopyFileW walk vs cp -r"
    xwork=$work/xcopy
    xsrc=$xwork/src
    # 10 folders of 10 subfolders, 1,000 files of 0 to 22 KiB (about 11 MB), an empty folder.
    for ((i = 0; i < 1000; i++)); do
        d=$xsrc/d$((i % 10))/s$((i / 10 % 10))
        [ -d "$d" ] || mkdir -p "$d"
        head -c $(((i * 7919) % 22528)) /dev/urandom >"$d/f$i.dat"
    done
    mkdir -p "$xsrc/empty"
    scripts/wine-run.sh build/bench/bench_xcopy.exe "$(winpath "$root/build/tools/xcopy/xcopy.exe")" \
        "$(winpath "$xsrc")" "$(winpath "$xwork")" "$xcopy_copies" "$xcopy_rounds" \
        "$(winpath "$raw")" </dev/null >"$work/xcopy.log" 2>&1 || echo "bench: bench_xcopy failed"
    cp_times=()
    for ((r = 0; r < xcopy_rounds; r++)); do
        t0=$(date +%s%N)
        for ((n = 1; n <= xcopy_copies; n++)); do cp -r "$xsrc" "$xwork/cp$n"; done
        t1=$(date +%s%N)
        cp_times+=($(((t1 - t0) / 1000)))
        rm -rf "$xwork"/cp*
    done
    printf '%s\n' "${cp_times[@]}" | sort -n | awk -v c="$xcopy_copies" '{ t[NR] = $1 }
        END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
              printf "xcopy cp copies %d files 1000 best %.3f median %.3f complete\n", c, t[1] / 1e6, m / 1e6 }' >>"$raw"
    rm -rf "$xwork"
fi

# (g) The built-in copier, each side a whole process started from here, alternating rounds,
# synced and deleted between them.
g_rounds=${BENCH_BUILTIN_ROUNDS:-5}
g_mib=${BENCH_BUILTIN_MIB:-256}
if want g && [ -f build/bench/bench_xcopy.exe ]; then
    echo "bench: (g) the built-in copier x $g_rounds rounds: 100 small copies, 20 of 1,000 files, 8 of $g_mib MB, abort"
    gwork=$work/builtin
    mkdir -p "$gwork/small/photo/sub" "$gwork/big/photo"
    head -c 3000 /dev/urandom >"$gwork/small/photo/a.bin"
    head -c 12000 /dev/urandom >"$gwork/small/photo/sub/b.bin"
    head -c 500 /dev/urandom >"$gwork/small/photo/sub/c.bin"
    head -c $((g_mib << 20)) /dev/urandom >"$gwork/big/photo/big.bin"
    batch=build/bin/kasumido-batch.exe
    walk=build/bench/bench_xcopy.exe
    g_rchar=0
    # One process, timed from here; with sample=1 its rchar is sampled until it ends.
    g_time() { # sample command...
        local sample=$1 t0 t1 pid now
        shift
        rm -rf "$gwork/out" && mkdir -p "$gwork/out" && sync
        t0=$(date +%s%N)
        "$@" </dev/null >"$gwork/run.log" 2>&1 &
        pid=$!
        g_rchar=0
        if [ "$sample" = 1 ]; then
            while kill -0 "$pid" 2>/dev/null; do
                now=$(awk '/^rchar/ { print $2 }' "/proc/$pid/io" 2>/dev/null || true)
                [ -n "$now" ] && g_rchar=$now
                sleep 0.005
            done
        fi
        wait "$pid" || true
        t1=$(date +%s%N)
        echo $(((t1 - t0) / 1000))
    }
    # The copies made hold as many files as the source times the copies.
    g_check() { # source copies
        local want have
        want=$(($(find "$1" -type f | wc -l) * $2))
        have=$(find "$gwork/out" -type f ! -name outinfo.txt | wc -l)
        [ "$want" = "$have" ] && echo complete || echo INCOMPLETE
    }
    g_side() { # case kind source copies
        local src=$3 n=$4 us state
        case $2 in
        walk) us=$(g_time 0 scripts/wine-run.sh "$walk" --walk "$(winpath "$src")" "$(winpath "$gwork/out/w")" "$n") ;;
        builtin) us=$(g_time 0 scripts/wine-run.sh "$batch" /c 1 /s "$(winpath "$src")" /d "$(winpath "$gwork/out")" /n "$n" /y) ;;
        xcopy1) us=$(g_time 0 scripts/wine-run.sh "$batch" /c 0 /j 1 /s "$(winpath "$src")" /d "$(winpath "$gwork/out")" /n "$n" /y) ;;
        xcopy4) us=$(g_time 0 scripts/wine-run.sh "$batch" /c 0 /j 4 /s "$(winpath "$src")" /d "$(winpath "$gwork/out")" /n "$n" /y) ;;
        esac
        state=$(g_check "$src" "$n")
        echo "builtin $1 $2 round $r us $us $state" >>"$raw"
    }
    for ((r = 0; r < g_rounds; r++)); do
        kinds=(walk builtin xcopy1 xcopy4)
        for ((k = 0; k < 4; k++)); do
            g_side small "${kinds[$(((k + r) % 4))]}" "$gwork/small/photo" 100
        done
        kinds=(walk builtin)
        for ((k = 0; k < 2; k++)); do
            g_side tree "${kinds[$(((k + r) % 2))]}" "$work/src1000/photo" 20
        done
        for ((k = 0; k < 2; k++)); do
            g_side big "${kinds[$(((k + r) % 2))]}" "$gwork/big/photo" 8
        done
    done
    # What the batch process reads: 8 copies of the large file over one copy of the small folder.
    g_time 1 scripts/wine-run.sh "$batch" /c 1 /s "$(winpath "$gwork/small/photo")" /d "$(winpath "$gwork/out")" /n 1 /y >/dev/null
    base=$g_rchar
    g_time 1 scripts/wine-run.sh "$batch" /c 1 /s "$(winpath "$gwork/big/photo")" /d "$(winpath "$gwork/out")" /n 8 /y >/dev/null
    echo "builtin rchar base $base big $g_rchar size $((g_mib << 20)) state $(g_check "$gwork/big/photo" 8)" >>"$raw"
    # Ctrl+C into the batch's console (GenerateConsoleCtrlEvent, as tests/app does) once the
    # third copy has finished, to the end of the process.
    for ((r = 0; r < g_rounds; r++)); do
        rm -rf "$gwork/out" && mkdir -p "$gwork/out" && sync
        scripts/wine-run.sh build/bench/bench_abort.exe "$(winpath "$root/$batch")" \
            "/c 1 /s \"$(winpath "$work/src1000/photo")\" /d \"$(winpath "$gwork/out")\" /n 20 /y" \
            "[3/20]" </dev/null >"$gwork/abort.log" 2>&1 || true
        tr -d '\r' <"$gwork/abort.log" | grep '^abort ' >>"$raw" || echo "builtin abort failed" >>"$raw"
    done
    rm -rf "$gwork"
fi

# The same bytes through the Linux tools, best of three (seconds).
linux_time() {
    local best=""
    for _ in 1 2 3; do
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo "n/a"; return; }
        t1=$(date +%s%N)
        local t=$(((t1 - t0) / 1000))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.6f", us / 1e6 }'
}
declare -A linux
if [ -f "$work/sjis.txt" ]; then
    linux[sjis_to_euc]=$(linux_time iconv -f SHIFT_JIS -t EUC-JP "$work/sjis.txt")
    linux[euc_to_sjis]=$(linux_time iconv -f EUC-JP -t SHIFT_JIS "$work/euc.txt")
    linux[sjis_to_jis]=$(linux_time iconv -f SHIFT_JIS -t ISO-2022-JP "$work/sjis.txt")
    linux[jis_to_sjis]=$(linux_time iconv -f ISO-2022-JP -t SHIFT_JIS "$work/jis.txt")
    linux[utf8_to_utf16]=$(linux_time iconv -f UTF-8 -t UTF-16LE "$work/utf8.txt")
    linux[base64_encode]=$(linux_time base64 -w0 "$work/sjis.txt")
    linux[base64_decode]=$(linux_time base64 -d "$work/base64.txt")
    # Python's quopri (its C core, binascii) as the Linux peer; start-up of python3 included.
    # The interpreter itself, not a wrapper script that would add its own start-up.
    python=$(python3 -c 'import sys; print(sys.executable)' 2>/dev/null || true)
    if [ -f "$work/qp.txt" ] && [ -x "$python" ]; then
        linux[qp_encode]=$(linux_time "$python" -m quopri "$work/sjis.txt")
        linux[qp_decode]=$(linux_time "$python" -m quopri -d "$work/qp.txt")
    fi
fi

{
    echo "Kasumido benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "Machine: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n1), $(nproc) cores," \
        "$(awk '/MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo);" \
        "$(. /etc/os-release && echo "$PRETTY_NAME"); $(wine --version)"
    echo "Load average at the end (other work on the machine): $(cut -d' ' -f1-3 /proc/loadavg)"
    echo
    grep -q '^copy ' "$raw" && echo "(a) Copies through the batch run vs the same copier command lines started directly"
    awk '/^copy round/ { printf "    round %s: direct %s s, batch %s s\n", $3, $5, $7 }
         /^copy best/ { printf "    fastest round, %s copies: direct %s s, batch %s s, ratio %s (target <= 1.05)\n", $4, $6, $8, $10 }
         /^copy median/ { printf "    median round,  %s copies: direct %s s, batch %s s, ratio %s\n", $4, $6, $8, $10 }' "$raw"
    if grep -q '^text ' "$raw"; then
        echo
        echo "(b) Text conversions (about 4 MB of Japanese text; best of 3)"
        printf '    %-14s %10s %12s %12s %8s\n' conversion "MB in" "ktora MB/s" "Linux MB/s" ratio
        while read -r _ name _ bytes _ seconds; do
            [ "$name" = check ] && continue
            l=${linux[$name]:-n/a}
            awk -v n="$name" -v b="$bytes" -v s="$seconds" -v l="$l" 'BEGIN {
                k = b / s / 1e6
                if (l == "n/a" || l == 0) { printf "    %-14s %10.2f %12.1f %12s %8s\n", n, b / 1e6, k, "n/a", "n/a" }
                else { m = b / l / 1e6; printf "    %-14s %10.2f %12.1f %12.1f %8.2f\n", n, b / 1e6, k, m, k / m } }'
        done < <(grep '^text ' "$raw")
        grep -q '^text check ok' "$raw" || echo "    (the round trips did not agree: figures are suspect)"
        echo "    Linux side: glibc iconv (SHIFT_JIS, EUC-JP, ISO-2022-JP, UTF-16LE), coreutils base64"
        echo "    and python3 -m quopri (n/a without python3)."
    fi
    if grep -q '^ini \|^find ' "$raw"; then
        echo
        echo "(c) Growth with size"
        awk '/^ini keys/ { printf "    C_IniFile::GetStr, %6d keys: %10s us per lookup\n", $3, $5 }
             /^find files/ { printf "    C_Find listing,    %6d files: %10s ms (%s found)\n", $3, $7, $5 }' "$raw"
    fi
    if grep -q '^plan ' "$raw"; then
        echo
        echo "(d) The copy plan (best of many; target under 1 ms for a preview and a plan)"
        awk '/^plan preview/ { printf "    preview update, %10d copies: %8.1f us\n", $4, $6 }
             /^plan run-checks/ { printf "    plan with every run check, %10d copies: %8.1f us\n", $4, $6 }
             /^plan existing/ { printf "    overwrite check, container of %d folders: %.1f ms (%d targets found)\n", $4, $8, $6 }
             /^plan list-preview-first/ { printf "    preview from a names file of %d names, first read: %.1f ms\n", $4, $6 }
             /^plan list-preview-again/ { printf "    preview from a names file of %d names, file unchanged: %.1f us\n", $4, $6 }' "$raw"
    fi
    if grep -q '^big \|^jobs ' "$raw"; then
        echo
        echo "(e) $copies copies of the 1,000-file tree (about 11 MB)"
        awk '/^big median/ { printf "    median round: direct %s s, batch run with every copy checked %s s, ratio %s (target <= 1.05)\n", $6, $8, $10 }
             /^big best/ { printf "    fastest round: direct %s s, batch %s s, ratio %s\n", $6, $8, $10 }
             /^jobs median/ { printf "    copiers at once (median): /j 1 %s s, /j 2 %s s (ratio %s, target <= 0.7), /j 4 %s s (ratio %s)\n", $6, $8, $12, $10, $14 }' "$raw"
    fi
    if grep -q '^xcopy ' "$raw"; then
        echo
        echo "(f) Copier: our xcopy.exe vs a bare FindFirstFileExW + CopyFileW walk vs cp -r"
        awk '/^xcopy / { sub(/\r$/, ""); best[$2] = $8; median[$2] = $10; state[$2] = $11; copies = $4; files = $6 }
            END {
                printf "    %d copies of a %d-file tree, best and median of the rounds (s)\n", copies, files
                split("walk ours ours_o cp", order, " ")
                label["walk"] = "bare CopyFileW walk"; label["ours"] = "our xcopy /E /C /H /Y"
                label["ours_o"] = "our xcopy /E /C /H /O /Y"; label["cp"] = "cp -r (Linux)"
                for (i = 1; i <= 4; i++) {
                    k = order[i]
                    if (!(k in best)) continue
                    printf "    %-26s %8.3f %8.3f", label[k], best[k], median[k]
                    if (k != "walk" && ("walk" in best) && best["walk"] > 0)
                        printf "   %5.2f x walk", best[k] / best["walk"]
                    if (k != "cp" && ("cp" in best) && best["cp"] > 0)
                        printf "   %6.2f x cp -r", best[k] / best["cp"]
                    if (state[k] != "complete") printf "   (copies INCOMPLETE)"
                    printf "\n"
                }
                print "    target: our xcopy, with /O and without, <= 1.3 x walk"
            }' "$raw"
    fi
    if grep -q '^builtin ' "$raw"; then
        echo
        echo "(g) The built-in copier (/c 1) vs the bare CopyFileW walk of (f), whole processes (s)"
        awk '/^builtin (small|tree|big) / { t[$2 " " $3] = t[$2 " " $3] " " $7 / 1e6; if ($8 != "complete") bad[$2 " " $3] = 1 }
            function stats(key,   n, a, i, j, x) {
                n = split(substr(t[key], 2), a, " ")
                for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { x = a[i]; a[i] = a[j]; a[j] = x }
                best[key] = a[1]; med[key] = n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
            }
            END {
                split("small tree big", cases, " ")
                label["small"] = "100 copies of a 3-file folder"; label["tree"] = "20 copies of the 1,000-file tree"
                label["big"] = "8 copies of a large file"
                target["small"] = 2; target["tree"] = 1.2; target["big"] = 1.2
                split("walk builtin xcopy1 xcopy4", kinds, " ")
                name["walk"] = "bare walk"; name["builtin"] = "built-in /c 1"; name["xcopy1"] = "xcopy /j 1"; name["xcopy4"] = "xcopy /j 4"
                for (c = 1; c <= 3; c++) {
                    printf "    %s\n", label[cases[c]]
                    for (k = 1; k <= 4; k++) {
                        key = cases[c] " " kinds[k]
                        if (!(key in t)) continue
                        stats(key)
                        w = cases[c] " walk"
                        printf "      %-14s median %8.3f  fastest %8.3f", name[kinds[k]], med[key], best[key]
                        if (kinds[k] != "walk" && med[w] > 0) printf "   %6.2f x walk (fastest %.2f)", med[key] / med[w], best[key] / best[w]
                        if (kinds[k] == "builtin") printf "  target <= %s", target[cases[c]]
                        if (key in bad) printf "   (copies INCOMPLETE)"
                        printf "\n"
                    }
                }
            }' "$raw"
        awk '/^builtin rchar/ { printf "    8 copies of %.0f MB: the batch process read %.1f MB over a one-small-copy run (%.1f MB): %.2f x the file (target <= 1.3), %s\n", $8 / 1048576, ($6 - $4) / 1048576, $4 / 1048576, ($6 - $4) / $8, $10 }' "$raw"
        awk '/^abort / { n++; ms[n] = $3; if ($5 != 2) bad++ }
            END { if (n) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (ms[j] < ms[i]) { x = ms[i]; ms[i] = ms[j]; ms[j] = x }
                  printf "    Ctrl+C to the end of the process, 20 copies of 1,000 files: median %d ms, fastest %d ms, slowest %d ms (target <= 1000)%s\n", n % 2 ? ms[(n + 1) / 2] : (ms[n / 2] + ms[n / 2 + 1]) / 2, ms[1], ms[n], bad ? ", some exit code not 2" : "" } }' "$raw"
    fi
    echo
    echo "Total time: $(($(date +%s) - started)) s"
} | tee "$report"
rm -rf "$work"
