#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need.
# Runs apt-get only when something is missing; does nothing otherwise.
# --sanitizers adds clang and its sanitizer and libFuzzer runtimes.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libsqlite3-dev sqlite3
  libxlsxwriter-dev zlib1g-dev
  fonts-wqy-zenhei fonts-arphic-uming fonts-hanazono fonts-liberation
  xvfb xauth xdg-utils
  ghostscript
  python3-openpyxl
  clang-format
  qt6-svg-dev
  desktop-file-utils appstream shared-mime-info libglib2.0-bin libxml2-utils dpkg-dev lintian
  fonts-dejavu-core
)

if [ "${1:-}" = "--sanitizers" ]; then
  packages+=(clang libclang-rt-14-dev llvm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
