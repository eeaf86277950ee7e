#!/usr/bin/env bash
# Builds the Windows program from a clean checkout on Debian: Qt (cached
# outside the checkout), SQLite and libxlsxwriter cross-built from Debian's
# sources, then build-windows/norvale.exe, the installer
# build-windows/norvale-<version>-win64-setup.exe and the portable
# build-windows/norvale-<version>-win64.zip. Heavy steps run at the lowest
# priority (nice 19), NORVALE_JOBS (2) at a time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
out="$root/build-windows"
host="$root/build-windows-host"
jobs="${NORVALE_JOBS:-2}"
export NORVALE_JOBS="$jobs"
triple=x86_64-w64-mingw32
start=$SECONDS

bash scripts/install-deps.sh --windows
qt="$(nice -n 19 scripts/build-qt-windows.sh | tail -1)"
deps="$(nice -n 19 scripts/build-windows-deps.sh | tail -1)"

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# The icon renderer needs Qt Svg, which Debian has for the host only.
cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$host" -j"$jobs" --target render-icon

host_cmake="$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6/Qt6Config.cmake$')")")"
PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" cmake -S . -B "$out" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
  -DCMAKE_FIND_ROOT_PATH="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DNORVALE_WERROR=ON \
  -DNORVALE_HOST_RENDER_ICON="$host/tools/render-icon" \
  "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$out" -j"$jobs"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$out/CMakeCache.txt")"
name="norvale-$version-win64"

# The program with the libraries and plugins it loads, and no more: the DLLs
# named in the import tables, followed from Qt's and MinGW's folders.
stage="$out/installer/stage"
rm -rf "$out/installer"
mkdir -p "$stage/platforms" "$stage/styles"
search=("$qt/bin" "$(dirname "$($triple-g++-posix -print-libgcc-file-name)")"
  "/usr/$triple/lib")
copy_imports() { # file: copies the DLLs it imports that are not Windows' own
  local dll found dir
  for dll in $($triple-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'); do
    [ -e "$stage/$dll" ] && continue
    found=""
    for dir in "${search[@]}"; do
      if [ -f "$dir/$dll" ]; then found="$dir/$dll"; break; fi
    done
    [ -n "$found" ] || continue
    cp "$found" "$stage/$dll"
    copy_imports "$stage/$dll"
  done
}
cp "$out/norvale.exe" "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qoffscreen.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for f in "$stage/norvale.exe" "$stage"/platforms/*.dll "$stage"/styles/*.dll; do
  copy_imports "$f"
done
$triple-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll

# The portable zip: one folder that runs from wherever it is unpacked.
rm -rf "$out/zip" "$out/$name.zip"
mkdir -p "$out/zip"
cp -a "$stage" "$out/zip/$name"
(cd "$out/zip" && zip -qr9 "$out/$name.zip" "$name")
rm -rf "$out/zip"

# The installer, with one line per file to install and to remove.
inst="$out/installer"
cp "$out/dist/windows/norvale.nsi" "$inst/"
(
  cd "$stage"
  find . -type d | sort | while read -r d; do
    d="${d#./}"
    if [ "$d" = "." ]; then win='$INSTDIR'; else win="\$INSTDIR\\${d//\//\\}"; fi
    echo "  SetOutPath \"$win\""
    find "$d" -maxdepth 1 -type f | sort | while read -r f; do
      echo "  File \"stage/${f#./}\""
    done
  done
  echo '  SetOutPath "$INSTDIR"'
) >"$inst/files.nsh"
(
  cd "$stage"
  find . -type f | sort | while read -r f; do
    f="${f#./}"
    echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  find . -mindepth 1 -type d | sort -r | while read -r d; do
    d="${d#./}"
    echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
) >"$inst/unfiles.nsh"
makensis -V2 -DOUTFILE="$out/$name-setup.exe" "$inst/norvale.nsi"

echo "build-windows: $out/norvale.exe, $out/$name-setup.exe ($(du -h "$out/$name-setup.exe" | cut -f1)), $out/$name.zip in $((SECONDS - start)) s"
