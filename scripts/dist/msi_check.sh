#!/usr/bin/env bash
# msi_check.sh <release.msi> <version> <rebuilt.msi> <newer.msi> <newer version> <sample profiles>:
# the package as a user meets it, in a fresh Wine prefix (removed afterwards): a refused install into a
# folder that cannot be written leaves nothing; a silent install into a folder of the user's choice
# gives the Start menu shortcut (Kasumido started through it lists the samples), the Apps &
# features entry and Explorer's folder menu entry (its command, started for a folder, opens the
# dialog with that folder); the same version again (the same file, or a rebuild of it) is refused;
# a newer package replaces it in the same folder, with the menu entry; an older one is refused; the
# uninstall removes what was installed, the menu entry included (also a hand-made one it
# replaced), and keeps the profile the user made. Run from the repository root.
set -euo pipefail
msi=$1 version=$2 rebuilt=$3 newer=$4 newer_version=$5 profiles=$6
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/{\1}/p' scripts/dist/Kasumido.wxs)

export WINEPREFIX=$PWD/build/dist/msi-wine
# No menu entries on the Linux desktop for the shortcuts the package makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
source scripts/session.sh
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "msi check: wineboot failed" >&2; exit 1; }
ktora_session_start
trap 'ktora_session_stop; rm -rf "$WINEPREFIX"' EXIT

user_dir=$WINEPREFIX/drive_c/users/$(id -un)
default_dir=$user_dir/AppData/Local/Programs/Kasumido
# A folder of the user's choice, with a space: the menu command must quote it.
installed="$WINEPREFIX/drive_c/Kasumido Tools/Kasumido"
installed_win='C:\Kasumido Tools\Kasumido'
# A folder to start Kasumido for, as Explorer's folder menu would (no list\ in it).
picked="$WINEPREFIX/drive_c/写真 2024"
mkdir -p "$picked"
start_menu=$user_dir/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
shortcut='C:\users\'"$(id -un)"'\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Kasumido.lnk'
mine=$installed/list/自分の設定.txt
log=build/dist/msi-check.log
: >"$log"

winpath() {
    local p="Z:$(realpath "$1")"
    echo "${p//\//\\}"
}
fail() {
    echo "msi check: $*" >&2
    sed 's/^/  /' "$log" >&2
    exit 1
}
# msiexec's exit code, which Wine hands on modulo 256 (1603, the installer's fatal error, is 67).
msiexec() {
    echo "msiexec $*" >>"$log"
    local rc=0
    wine msiexec "$@" </dev/null >/dev/null 2>&1 || rc=$?
    echo "  exit code $rc" >>"$log"
    return $rc
}
product() {
    echo "product check: $1" >>"$log"
    scripts/wine-run.sh build/bench/dist_check.exe --product "$upgrade_code" "$1" \
        </dev/null >>"$log" 2>&1
}
verb() {
    echo "Explorer's folder menu entry ($*):" >>"$log"
    scripts/wine-run.sh build/bench/dist_check.exe --verb "$@" </dev/null >>"$log" 2>&1
}
starts() {
    echo "Kasumido through the Start menu shortcut, $1 profiles:" >>"$log"
    scripts/wine-run.sh build/bench/dist_check.exe "$shortcut" "$1" </dev/null >>"$log" 2>&1
}
# Everything the package installs, as names below the install folder.
shipped=(Kasumido.exe kasumido-batch.exe README.txt)
mapfile -t samples < <(msiinfo export "$msi" File | awk -F'\t' '$2 == "SampleProfiles" {print $3}')
for s in "${samples[@]}"; do shipped+=("list/$s"); done

# A folder nobody can write (even root, which Wine runs as here): the installer fails and rolls
# back, nothing is registered, no shortcut, no files.
msiexec /i "$(winpath "$msi")" /qn 'INSTALLDIR=Z:\proc\kasumido\' &&
    fail "an install into a folder that cannot be written succeeded"
product - || fail "a failed install left the product registered"
[ ! -e "$start_menu/Kasumido.lnk" ] && [ ! -e "$default_dir" ] ||
    fail "a failed install left files behind"

# A hand-made folder menu entry of the same name, with an icon the package does not write: the
# install replaces it, the uninstall removes it whole.
wine reg add 'HKCU\Software\Classes\Directory\shell\Kasumido\command' /ve \
    /d '"C:\old\Kasumido.exe" "%V"' /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Classes\Directory\shell\Kasumido' /v Icon /d 'C:\old\Kasumido.exe' \
    /f </dev/null >/dev/null 2>&1
msiexec /i "$(winpath "$msi")" /qn "INSTALLDIR=$installed_win" || fail "the install failed"
product "$version" || fail "Apps & features does not show Kasumido $version"
for f in "${shipped[@]}"; do [ -f "$installed/$f" ] || fail "not installed: $f"; done
[ ! -e "$default_dir" ] || fail "the install into $installed_win wrote into the default folder"
starts "$profiles" || fail "Kasumido from the shortcut did not list the $profiles sample profiles"
verb "$installed_win\\Kasumido.exe" 'C:\写真 2024' "$profiles" ||
    fail "Explorer's folder menu entry is missing or does not open the dialog with the folder"

printf 'make_count=2\r\n' >"$mine"
msiexec /i "$(winpath "$msi")" /qn && fail "the same package was installed twice"
msiexec /i "$(winpath "$rebuilt")" /qn && fail "a rebuild of the same version was installed too"
product "$version" || fail "installing the same version again changed the installed one"

# The upgrade, started without INSTALLDIR, stays in the folder that was chosen.
msiexec /i "$(winpath "$newer")" /qn || fail "the upgrade to $newer_version failed"
product "$newer_version" || fail "after the upgrade Apps & features does not show $newer_version alone"
for f in "${shipped[@]}"; do [ -f "$installed/$f" ] || fail "not there after the upgrade: $f"; done
[ ! -e "$default_dir" ] || fail "the upgrade moved Kasumido into the default folder"
[ -f "$mine" ] || fail "the upgrade removed the user's profile"
starts "$((profiles + 1))" || fail "after the upgrade Kasumido did not list the profiles"
verb "$installed_win\\Kasumido.exe" 'C:\写真 2024' "$((profiles + 1))" ||
    fail "after the upgrade Explorer's folder menu entry is missing or wrong"
msiexec /i "$(winpath "$msi")" /qn && fail "the older $version replaced the newer $newer_version"
product "$newer_version" || fail "the refused older package changed the installed one"

msiexec /x "$(winpath "$newer")" /qn || fail "the uninstall failed"
product - || fail "the product is still registered after the uninstall"
for f in "${shipped[@]}"; do [ ! -e "$installed/$f" ] || fail "left after the uninstall: $f"; done
[ ! -e "$start_menu/Kasumido.lnk" ] || fail "the shortcut is left after the uninstall"
[ ! -e "$default_dir" ] || fail "the uninstall made the default folder"
verb - || fail "Explorer's folder menu entry is left after the uninstall"
[ -z "$(find "$user_dir/AppData/Roaming/Microsoft/Installer" -iname 'Kasumido.ico' 2>/dev/null)" ] ||
    fail "the icon for Apps & features is left after the uninstall"
[ -f "$mine" ] || fail "the uninstall removed the user's profile"
left=$(cd "$installed" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./list ./list/自分の設定.txt " ] || fail "after the uninstall the folder holds: $left"
cat "$log"
