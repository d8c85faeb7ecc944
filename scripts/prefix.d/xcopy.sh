#!/usr/bin/env bash
# Puts our xcopy.exe into the prefix in place of Wine's builtin (which refuses /O and so copies
# nothing for Kasumido), with a native-first override so every run in the prefix uses it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"

exe="$KTORA_BUILD/tools/xcopy/xcopy.exe"
target="$WINEPREFIX/drive_c/windows/system32/xcopy.exe"
[ -f "$exe" ] || exit 0

if ! cmp -s "$exe" "$target"; then
    cp -f "$exe" "$target.new"
    mv -f "$target.new" "$target"
fi

# The registry file is only read here; a running wineserver may not have saved a fresh value
# yet, in which case the (idempotent) reg add simply runs again.
if ! grep -A20 -F '[Software\\Wine\\DllOverrides]' "$WINEPREFIX/user.reg" 2>/dev/null |
    sed -n '2,/^\[/p' | grep -qF '"xcopy.exe"="native"'; then
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v xcopy.exe /t REG_SZ /d native /f \
        </dev/null >/dev/null 2>&1 ||
        { echo "xcopy hook: could not set the native-first override" >&2; exit 1; }
fi
