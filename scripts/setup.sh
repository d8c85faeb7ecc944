#!/usr/bin/env bash
# Installs what the build and the Wine test runs need, only when something is missing.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix cmake ninja-build make wine wine64 xvfb xauth xdotool
          imagemagick fonts-ipafont-gothic fonts-wine locales googletest zip unzip
          wixl msitools)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the glibc locale: 932 needs ja_JP.UTF-8 generated.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
