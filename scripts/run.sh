#!/usr/bin/env bash
# make run: builds everything, prepares the Wine prefix (with our xcopy) and starts Kasumido in
# build/demo/work, whose "list" folder holds the sample profiles of samples/list.
# With a display the dialog simply appears there. Without one (DISPLAY unset) the real dialog
# runs on a virtual display, driven by the end-to-end driver: 3 copies of samples/photo into
# build/demo/out, then the tree and outinfo.txt are printed and a screenshot of the dialog is
# saved as build/demo/kasumido.png; a second, aborted run of 40 copies is pictured while it
# runs (build/demo/kasumido-running.png).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
scripts/build.sh
source scripts/session.sh

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/work/list"
cp samples/list/*.txt "$demo/work/list/"

# Unix path to the Windows path Wine gives it (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The prefix draws dialogs with a proportional Gothic (scripts/prefix.d/dialog-font.sh).
if [ -n "${DISPLAY:-}" ]; then
    echo "run: starting Kasumido in $demo/work"
    cd "$demo/work"
    exec "$root/scripts/wine-run.sh" "$root/build/bin/Kasumido.exe"
fi

ktora_session_start

flag=$demo/shot
log=$demo/driver.log
echo "run: no display; driving the dialog on a virtual display ($DISPLAY)"
scripts/wine-run.sh build/tests/e2e/kasumido_e2e.exe "$(winpath "$root/build/bin/Kasumido.exe")" \
    demo "$(winpath "$demo/work")" "$(winpath "$root/samples/photo")" "$(winpath "$demo/out")" \
    "$(winpath "$flag")" >"$log" 2>&1 &
driver=$!

for _ in $(seq 600); do
    [ -f "$flag.ready" ] && break
    kill -0 "$driver" 2>/dev/null || break
    sleep 0.1
done
if [ -f "$flag.ready" ]; then
    sleep 0.5 # let the last repaint reach the display
    geometry=$(tr -d '\r\n' <"$flag.ready")
    import -window root -crop "$geometry" +repage "$demo/kasumido.png"
    echo "run: screenshot $demo/kasumido.png"
fi
touch "$flag"
# The second picture: the dialog while a run makes copies (title and progress band).
for _ in $(seq 900); do
    [ -f "$flag-run.ready" ] && break
    kill -0 "$driver" 2>/dev/null || break
    sleep 0.1
done
if [ -f "$flag-run.ready" ]; then
    geometry=$(tr -d '\r\n' <"$flag-run.ready")
    import -window root -crop "$geometry" +repage "$demo/kasumido-running.png"
    echo "run: screenshot during a run $demo/kasumido-running.png"
fi
touch "$flag-run"
status=0
wait "$driver" || status=$?
if [ $status -ne 0 ]; then
    cat "$log"
    echo "run: the demo failed ($status)" >&2
    exit $status
fi
# The driver's own lines (the copier's file list, in Shift_JIS, is left in the log).
grep -a '^demo' "$log" || true

echo
echo "Copies made in build/demo/out:"
(cd "$demo/out" && find . | sort | sed 's/^\.\///; /^\.$/d')
echo
echo "build/demo/out/photo/outinfo.txt (Shift_JIS, shown decoded):"
iconv -f SHIFT_JIS -t UTF-8 "$demo/out/photo/outinfo.txt" | tr -d '\r'
