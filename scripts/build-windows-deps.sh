#!/usr/bin/env bash
# Cross-builds SQLite and libxlsxwriter for 64-bit Windows from Debian's
# sources of the versions the Linux build uses, as static libraries, and keeps
# them outside the checkout. Prints their prefix on its last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${NORVALE_CACHE:-$HOME/.cache/norvale}"
jobs="${NORVALE_JOBS:-2}"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cc=x86_64-w64-mingw32-gcc-posix
ar=x86_64-w64-mingw32-ar

sqlite_version="$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)"
xlsx_version="$(dpkg-query -W -f='${source:Version}' libxlsxwriter-dev)"
key="$({ echo "$sqlite_version $xlsx_version"; cat "$toolchain" "$0"; } | sha256sum | cut -c1-12)"
prefix="$cache/deps-mingw64-$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
rm -rf "$prefix"
mkdir -p "$cache/src" "$prefix/include" "$prefix/lib/pkgconfig"
work="$(mktemp -d "$cache/work-deps.XXXXXX")"
trap 'rm -rf "$work"' EXIT

fetch() { # package version -> unpacked source folder
  local dir
  dir="$(find "$cache/src" -maxdepth 1 -type d -name "$1-${2%%-*}*" | head -1)"
  if [ -z "$dir" ]; then
    (cd "$cache/src" && apt-get source -qq "$1=$2" >&2)
    dir="$(find "$cache/src" -maxdepth 1 -type d -name "$1-${2%%-*}*" | head -1)"
  fi
  echo "$dir"
}

# SQLite: Debian ships no amalgamation; its source makes one.
sqlite_src="$(fetch sqlite3 "$sqlite_version")"
cp -a "$sqlite_src" "$work/sqlite"
(cd "$work/sqlite" && ./configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null) >&2
"$cc" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c "$work/sqlite/sqlite3.c" \
  -o "$work/sqlite3.o"
"$ar" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$work/sqlite/sqlite3.h" "$work/sqlite/sqlite3ext.h" "$prefix/include/"

# libxlsxwriter with its bundled minizip and MD5 (MinGW has neither elsewhere).
xlsx_src="$(fetch libxlsxwriter "$xlsx_version")"
cmake -S "$xlsx_src" -B "$work/xlsx" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
  -DBUILD_SHARED_LIBS=OFF -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF >&2
cmake --build "$work/xlsx" -j"$jobs" >&2
cmake --install "$work/xlsx" >&2
touch "$prefix/.complete"
echo "$prefix"
