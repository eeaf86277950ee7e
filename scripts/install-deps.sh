#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need.
# Runs apt-get only when something is missing; does nothing otherwise.
# --sanitizers adds clang and its sanitizer and libFuzzer runtimes.
# --windows adds the MinGW-w64 cross toolchain, Wine, NSIS and the source
# archive lines that the Windows build fetches Qt, SQLite and libxlsxwriter from.
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

windows=0
for arg in "$@"; do
  case "$arg" in
    --sanitizers) packages+=(clang libclang-rt-14-dev llvm) ;;
    --windows)
      windows=1
      packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
        ninja-build wine wine64 nsis zip unzip imagemagick x11-apps xdotool perl)
      ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# apt-get source needs deb-src lines: add them beside the configured deb ones
# (same URIs, suites and keyring) when there are none.
need_update=0
if [ "$windows" -eq 1 ] && ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -n '/^Types: deb$/,/^$/p' /etc/apt/sources.list.d/debian.sources |
      sed 's/^Types: deb$/Types: deb-src/' | $sudo tee /etc/apt/sources.list.d/norvale-src.sources >/dev/null
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $sudo tee /etc/apt/sources.list.d/norvale-src.list >/dev/null
  fi
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  if [ "$need_update" -eq 1 ]; then $sudo apt-get update -qq; fi
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
