#!/usr/bin/env bash
# build_msi.sh <staged release folder> <version> <out.msi>: Kasumido's Windows Installer package
# from scripts/dist/Kasumido.wxs. Run from the repository root; the folder must be relative to
# it (wixl takes only relative sources).
set -euo pipefail
stage=$1 version=$2 out=$3

IFS=. read -r major minor patch <<<"$version"
[ -n "$patch" ] || { echo "build_msi: version $version is not major.minor.patch" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One File per sample profile. wixl drops names outside ASCII, so every profile's name is set
# again below, in code page 932 (the profiles are Shift_JIS texts, their names fit it too).
profiles=()
while IFS= read -r -d '' f; do profiles+=("${f##*/}"); done \
    < <(find "$stage/list" -maxdepth 1 -type f -name '*.txt' -print0 | sort -z)
[ ${#profiles[@]} -gt 0 ] || { echo "build_msi: no profiles in $stage/list" >&2; exit 1; }
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<Include>'
    for i in "${!profiles[@]}"; do
        name=${profiles[$i]}
        case $name in *[\'\"\&\<\>]*) echo "build_msi: cannot name $name" >&2; exit 1 ;; esac
        echo "  <File Id=\"profile$i\" Name=\"$name\" Source=\"$stage/list/$name\" />"
    done
    echo '</Include>'
} >"$work/profiles.wxi"

wixl -a x64 -I "$work" -D Version="$version" -D NextVersion="$major.$minor.$((patch + 1))" \
    -D Stage="$stage" -D Icon=app/kasumido.ico -o "$out" scripts/dist/Kasumido.wxs
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$out" -i "$work/_ForceCodepage.idt"
for i in "${!profiles[@]}"; do
    msibuild "$out" -q "UPDATE \`File\` SET \`FileName\` = '${profiles[$i]}' WHERE \`File\` = 'profile$i'"
done
# Explorer's folder menu: the Japanese label (wixl cannot store it), and the whole key removed with
# the product ("-": the key with everything in it, also values a hand-made entry had).
verb='Software\Classes\Directory\shell\Kasumido'
msibuild "$out" -q "UPDATE \`Registry\` SET \`Value\` = 'Kasumido で複数コピー…' WHERE \`Registry\` = 'VerbLabel'"
msibuild "$out" -q "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('VerbRemove', 1, '$verb', '-', 'ExplorerVerb')"

# What the package holds must be exactly the staged release, names and sizes.
msiinfo export "$out" File | tail -n +4 | awk -F'\t' '{print $3 "\t" $4}' | sort >"$work/held"
(cd "$stage" && find . -type f -printf '%f\t%s\n') | sort >"$work/staged"
if ! diff "$work/staged" "$work/held" >&2; then
    echo "build_msi: $out does not hold the staged files (above: < staged, > in the package)" >&2
    exit 1
fi

# Per user and never asking for elevation (Wine has no UAC to show it): no ALLUSERS, and the
# summary's word count says "elevated privileges not required" (8) beside "compressed" (2).
words=$(msiinfo suminfo "$out" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
if msiinfo export "$out" Property | grep -q '^ALLUSERS' || [ $((${words:-0} & 10)) -ne 10 ]; then
    echo "build_msi: $out is not a per-user package without elevation" >&2
    exit 1
fi
