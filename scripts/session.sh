# Sourced: starts a virtual display and a warm wineserver for a batch of Wine runs,
# and stops both when the calling script exits.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

ktora_session_stop() {
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
    # make -p fail and then exit in the middle of the run, so end it first.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 || { echo "session: wineserver did not start" >&2; return 1; }
    # The first Wine run must not write to a pipe: it would never see end of file.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
