# Sourced: starts a virtual display and a warm wineserver for a batch of Wine runs,
# and stops both when the calling script exits.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

ktora_session_stop() {
    [ -n "${KTORA_KEEP_PID:-}" ] && kill "$KTORA_KEEP_PID" >/dev/null 2>&1 || true
    [ -n "${KTORA_KEEP_DIR:-}" ] && rm -rf "$KTORA_KEEP_DIR" || true
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${KTORA_XVFB_PID:-}" ] && kill "$KTORA_XVFB_PID" >/dev/null 2>&1 || true
}

ktora_session_start() {
    if [ -z "${DISPLAY:-}" ] || [ "${KTORA_FORCE_XVFB:-0}" = 1 ]; then
        local fdfile
        fdfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
        KTORA_XVFB_PID=$!
        for _ in $(seq 100); do
            [ -s "$fdfile" ] && break
            sleep 0.1
        done
        [ -s "$fdfile" ] || { echo "session: Xvfb did not start" >&2; return 1; }
        export DISPLAY=":$(head -n1 "$fdfile")"
        rm -f "$fdfile"
    fi
    trap ktora_session_stop EXIT
    # A persistent wineserver. One left lingering by an earlier step (a build hook, say) would
    # make -p fail (status 2) and then exit in the middle of the run, so end it first; a Wine
    # program still starting up when it ended starts a fresh one, so try again then.
    local try
    for try in 1 2 3; do
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        wineserver -p >/dev/null 2>&1 && break
        [ "$try" = 3 ] && { echo "session: wineserver did not start" >&2; return 1; }
        sleep 1
    done
    # The first Wine run must not write to a pipe: it would never see end of file.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    # The desktop process ends about 1 s after the last program of the session; the next
    # program that needs it starts it again, handing over its own standard error, which the
    # desktop then holds for as long as it lives. Under CTest that is a test's output pipe:
    # the test hangs after passing until its time-out. So one idle program (cmd reading a pipe
    # nobody writes) stays for the whole session, and the desktop is started now, quietly.
    KTORA_KEEP_DIR=$(mktemp -d)
    mkfifo "$KTORA_KEEP_DIR/keep"
    wine cmd <"$KTORA_KEEP_DIR/keep" >/dev/null 2>&1 &
    local keeper=$!
    sleep 2147483647 >"$KTORA_KEEP_DIR/keep" 2>/dev/null </dev/null &
    KTORA_KEEP_PID=$!
    # It must be running before the desktop starts, or the desktop may end again first.
    for _ in $(seq 100); do
        grep -qa 'cmd\.exe' "/proc/$keeper/cmdline" 2>/dev/null && break
        sleep 0.1
    done
    wine rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}
