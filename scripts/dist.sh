#!/usr/bin/env bash
# make dist: builds, then packs the release twice: the portable dist/Kasumido-<version>-win64.zip
# and the installer dist/Kasumido-<version>-win64.msi (per user, no administrator rights), each
# with the two programs, the sample profiles in "list" and a short usage text. The copier (xcopy)
# is the system's own and goes into neither.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/build.sh

version=$(sed -n 's/^#define KASUMIDO_VERSION_TEXT "\(.*\)"$/\1/p' app/version.h)
[ -n "$version" ] || { echo "dist: no version in app/version.h" >&2; exit 1; }
project=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/CMakeCache.txt)
if [ -n "$project" ] && [ "$project" != "$version" ]; then
    echo "dist: app/version.h says $version but CMakeLists.txt says $project" >&2
    exit 1
fi

name=Kasumido-$version-win64
stage=build/dist/$name
rm -rf build/dist
mkdir -p "$stage/list" dist

programs=(Kasumido.exe kasumido-batch.exe)
for exe in "${programs[@]}"; do
    [ -f "build/bin/$exe" ] || { echo "dist: build/bin/$exe was not built" >&2; exit 1; }
    x86_64-w64-mingw32-strip -o "$stage/$exe" "build/bin/$exe"
    # Portable means nothing to install: only system DLLs may be imported.
    extra=$(x86_64-w64-mingw32-objdump -p "$stage/$exe" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|winmm|msvcrt|shlwapi|version|api-ms-win-[a-z0-9-]+)\.dll$' || true)
    [ -z "$extra" ] || { echo "dist: $exe needs $extra" >&2; exit 1; }
done
cp samples/list/*.txt "$stage/list/"
# The usage text for Windows: UTF-8 with a byte-order mark and CR LF line ends.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' scripts/dist/README.txt; } >"$stage/README.txt"

zip_path=dist/$name.zip
rm -f "$zip_path"
# Names are stored as UTF-8 with the zip's UTF-8 flag, so the Japanese profile names unpack
# correctly on any Windows (Info-ZIP's zip would store the raw bytes unflagged, which Windows
# reads in its OEM code page).
python3 - "$zip_path" build/dist "$name" <<'PY'
import os, sys, zipfile
out, base, name = sys.argv[1:4]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for folder, dirs, files in os.walk(os.path.join(base, name)):
        dirs.sort()
        rel = os.path.relpath(folder, base)
        z.write(folder, rel + "/")
        for f in sorted(files):
            z.write(os.path.join(folder, f), os.path.join(rel, f))
PY

if unzip -Z1 "$zip_path" | grep -qi 'xcopy'; then
    echo "dist: $zip_path must not carry xcopy" >&2
    exit 1
fi
echo "dist: $zip_path"
unzip -l "$zip_path" | sed 's/^/  /'

# The installer holds the same staged files (build_msi.sh checks that). A rebuild of the same
# version and a package one patch version higher serve the checks below.
msi_path=dist/$name.msi
rm -f "$msi_path"
scripts/dist/build_msi.sh "$stage" "$version" "$msi_path"
IFS=. read -r major minor patch <<<"$version"
newer_version=$major.$minor.$((patch + 1))
newer_msi=build/dist/Kasumido-$newer_version-upgrade-check.msi
scripts/dist/build_msi.sh "$stage" "$newer_version" "$newer_msi"
rebuilt_msi=build/dist/Kasumido-$version-rebuild-check.msi
scripts/dist/build_msi.sh "$stage" "$version" "$rebuilt_msi"
if msiinfo export "$msi_path" File | grep -qi 'xcopy'; then
    echo "dist: $msi_path must not carry xcopy" >&2
    exit 1
fi
echo "dist: $msi_path ($(stat -c %s "$msi_path") bytes)"
msiinfo export "$msi_path" File | tail -n +4 | awk -F'\t' '{printf "  %10s  %s\n", $4, $3}'

# The zip as a user gets it: unpacked into a fresh folder, Kasumido started there lists the
# sample profiles.
check=build/dist/check
rm -rf "$check"
mkdir -p "$check"
unzip -q "$zip_path" -d "$check"
profiles=$(find "$check/$name/list" -name '*.txt' | wc -l)
source scripts/session.sh
ktora_session_start
unpacked="Z:$(pwd)/$check/$name/Kasumido.exe"
if ! scripts/wine-run.sh build/bench/dist_check.exe "${unpacked//\//\\}" "$profiles" \
    </dev/null >"$check.log" 2>&1; then
    cat "$check.log" >&2
    echo "dist: the unpacked Kasumido did not list its $profiles sample profiles" >&2
    exit 1
fi
echo "dist: unpacked and started under Wine, the dialog lists:"
cat "$check.log"
rm -rf "$check" "$check.log"

# The installer in a fresh prefix of its own: install, start, same version again, upgrade,
# downgrade, uninstall.
scripts/dist/msi_check.sh "$msi_path" "$version" "$rebuilt_msi" "$newer_msi" "$newer_version" \
    "$profiles" \
    >build/dist/msi-check.out 2>&1 || { cat build/dist/msi-check.out >&2; exit 1; }
echo "dist: installed, upgraded and removed under Wine:"
sed 's/^/  /' build/dist/msi-check.out
rm -f "$newer_msi" "$rebuilt_msi" build/dist/msi-check.out build/dist/msi-check.log
