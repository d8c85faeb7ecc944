#!/usr/bin/env bash
# Xvfb runs no window manager. Unmanaged windows get their frame and caption drawn by Wine itself
# (so captures show the title), and closing a window no longer waits 2 s for a manager that
# never answers.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"

# The registry file is only read here; a running wineserver may not have saved a fresh value
# yet, in which case the (idempotent) reg add simply runs again; a failed add is retried by
# the next build rather than failing this one.
if ! grep -A20 -F '[Software\\Wine\\X11 Driver]' "$WINEPREFIX/user.reg" 2>/dev/null |
    sed -n '2,/^\[/p' | grep -qF '"Managed"="N"'; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1 || true
fi
