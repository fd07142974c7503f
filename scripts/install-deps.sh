#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the headless run need.
# Does nothing when they are all present, so `make` stays quick after the first run.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev libcurl4-openssl-dev libpcre2-dev libicu-dev libgtest-dev
    xvfb xauth xdotool xclip trayer fonts-wqy-microhei
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
