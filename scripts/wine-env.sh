# Sourced by the other scripts: the Wine environment every run of ours uses.
KTORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KTORA_BUILD=${KTORA_BUILD:-$KTORA_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$KTORA_BUILD/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEARCH=win64
