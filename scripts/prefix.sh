#!/usr/bin/env bash
# Creates the project's Wine prefix inside the build folder, once.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "prefix: creating $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Wine's own fonts, so caption buttons and symbols draw.
    ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "prefix: wineboot failed" >&2; exit 1; }

# Optional extra steps (installed tools, registry settings) live beside this script.
for hook in "$KTORA_ROOT"/scripts/prefix.d/*.sh; do
    [ -e "$hook" ] && bash "$hook"
done
exit 0
