#!/usr/bin/env bash
# Cross-builds the part of Qt that Norvale needs for 64-bit Windows, from
# Debian's own qt6-base source (the same version as the host's Qt), and keeps
# it outside the checkout. Prints the folder of the built Qt on its last line.
# It rebuilds only when the key (Qt version, options, mends, toolchain) changes.
#   --print-dir   only print where the Qt of the current key is (or would be)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${NORVALE_CACHE:-$HOME/.cache/norvale}"
jobs="${NORVALE_JOBS:-2}"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
mends="$root/dist/windows/qt-mends.patch"

qt_version="$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)"
if [ -z "$qt_version" ]; then
  echo "build-qt-windows: the host's qt6-base-dev is not installed" >&2
  exit 1
fi
upstream="${qt_version%%+*}"

# Only what the program and its tests need. Debian's source has no wintab, so
# tablet events are off; OpenGL is off, and with it Direct2D and DirectWrite
# (GDI draws the windows' text, FreeType the offscreen pages').
options=(
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DBUILD_WITH_PCH=OFF -DFEATURE_pkg_config=OFF
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_wintab=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_harfbuzz=ON
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_printsupport=ON -DFEATURE_testlib=ON -DFEATURE_widgets=ON
  -DFEATURE_style_windows=ON -DFEATURE_style_windowsvista=ON
)

key="$({
  echo "$qt_version"
  printf '%s\n' "${options[@]}"
  cat "$toolchain"
  if [ -f "$mends" ]; then cat "$mends"; fi
} | sha256sum | cut -c1-12)"
prefix="$cache/qt-$upstream-mingw64-$key"

if [ "${1:-}" = "--print-dir" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache/src"
src="$cache/src/qt6-base-$upstream+dfsg"
if [ ! -d "$src/src/corelib" ]; then
  (cd "$cache/src" && apt-get source -qq "qt6-base=$qt_version" >&2)
fi
# A build of the same key that was cut short goes on where it stopped.
work="$cache/work/qt-$key"
host_cmake="$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6/Qt6Config.cmake$')")")"
staging="$prefix.partial"
if [ ! -f "$work/build/build.ninja" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  cp -a "$src" "$work/source"
  if [ -f "$mends" ]; then
    patch -d "$work/source" -p1 --forward --quiet <"$mends" >&2
  fi
  echo "build-qt-windows: configuring Qt $upstream for Windows in $work/build" >&2
  cmake -S "$work/source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$staging" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
    "${options[@]}" >&2
fi
rm -rf "$staging"
echo "build-qt-windows: building (about 30 minutes on 2 cores)" >&2
cmake --build "$work/build" -j"$jobs" >&2
cmake --install "$work/build" --strip >&2
touch "$staging/.complete"
rm -rf "$prefix"
mv "$staging" "$prefix"
rm -rf "$work"
echo "$prefix"
