#!/usr/bin/env bash
# Dialogs ask for "MS Shell Dlg", which a Japanese system draws with MS UI Gothic. Wine maps
# that to the fixed-pitch IPAGothic, whose wider kana cut off the ends of labels and hide the
# underscore; the proportional IPAPGothic measures like the font the template was laid out for.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"

key='Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
if ! grep -A40 -F "[${key//\\/\\\\}]" "$WINEPREFIX/system.reg" 2>/dev/null |
    sed -n '2,/^\[/p' | grep -qF '"MS Shell Dlg"="IPAPGothic"'; then
    wine reg add "HKLM\\$key" /v 'MS Shell Dlg' /t REG_SZ /d IPAPGothic /f \
        </dev/null >/dev/null 2>&1 || true
fi
