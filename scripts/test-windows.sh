#!/usr/bin/env bash
# Runs the Windows build under Wine (64-bit, a private prefix in
# build-windows/wine): every Qt Test program built for Windows, the command
# line against the Linux build's output, and the installer (silent install,
# start, uninstall). Ends with one line: "wine: N passed, N failed, N skipped".
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-windows"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$out/CMakeCache.txt" 2>/dev/null)"
if [ ! -x "$out/norvale.exe" ] || [ -z "$version" ]; then
  echo "test-windows: no Windows build; run scripts/build-windows.sh first" >&2
  exit 2
fi

export WINEPREFIX="$out/wine" WINEARCH=win64 WINEDEBUG=-all
# The programs of the build folder find Qt's and MinGW's DLLs on the PATH.
qt="$("$root/scripts/build-qt-windows.sh" --print-dir)"
triple=x86_64-w64-mingw32
dll_dirs=("$qt/bin" "$(dirname "$($triple-g++-posix -print-libgcc-file-name)")" "/usr/$triple/lib")
WINEPATH=""
for d in "${dll_dirs[@]}"; do WINEPATH="$WINEPATH${WINEPATH:+;}Z:${d//\//\\}"; done
export WINEPATH
# No Mono or Gecko installers: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
logs="$out/wine-logs"
rm -rf "$logs"
mkdir -p "$logs"

passed=0 failed=0 skipped=0
pass() { passed=$((passed + 1)); echo "PASS   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL   $1${2:+: $2}"; }
skip() { skipped=$((skipped + 1)); echo "SKIP   $1: $2"; }

# The prefix is made again when the settings below change.
prefix_stamp="offscreen configfile without drive; fonts 2"
if [ "$(cat "$WINEPREFIX/.norvale-ready" 2>/dev/null)" != "$prefix_stamp" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Wine passes no QT_ variables from the Unix side: the tests' settings go
  # into the user's environment in the prefix.
  # Without its drive letter: the platform's options are split at colons.
  screen="$(winepath -w "$root/tests/screen-1600x1000.json")"
  screen="${screen#?:}"
  for setting in "QT_QPA_PLATFORM=offscreen:configfile=$screen" QT_FORCE_STDERR_LOGGING=1 \
    'QT_QPA_FONTDIR=C:\windows\Fonts'; do
    wine reg add 'HKCU\Environment' /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
  done
  # The faces a Chinese Windows PC has in their stead.
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc \
    /usr/share/fonts/truetype/arphic/uming.ttc \
    /usr/share/fonts/truetype/hanazono/HanaMinB.ttf \
    /usr/share/fonts/truetype/liberation/Liberation*.ttf \
    /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf; do
    [ -f "$f" ] && cp "$f" "$fonts/"
  done
  wineserver -w
  echo "$prefix_stamp" >"$WINEPREFIX/.norvale-ready"
fi

# The test programs, each in its own folder as ctest would run them.
for exe in "$out"/tests/tst_*.exe; do
  name="$(basename "$exe" .exe)"
  work="$logs/$name"
  mkdir -p "$work"
  (cd "$work" && timeout 900 wine "$exe" >"$work/out.txt" 2>&1)
  status=$?
  if [ "$status" -eq 0 ]; then
    pass "$name ($(grep -m1 '^Totals:' "$work/out.txt" | cut -d, -f1-3))"
  else
    fail "$name" "status $status, $(grep -m1 '^Totals:' "$work/out.txt" || echo 'no totals')"
    grep -E '^(FAIL!|   Loc:)' "$work/out.txt" | head -20 | sed 's/^/         /'
  fi
done
for name in tst_sqlitereadonly tst_safeoutputfile tst_privatefolder tst_memorybudget \
  tst_binarylogfile tst_mainwindow_options tst_mainwindow_language tst_mainwindow_opening \
  tst_mainwindow_buffers tst_mainwindow_loading tst_mainwindow_layout tst_mainwindowtools \
  tst_commandline tst_outputsafety tst_stopsignals; do
  skip "$name" "drives POSIX facilities (fork, symlink, FIFOs, mounts, rlimits); Linux only"
done

# The command line: the same CSV bytes and workbook as the Linux build.
samples="$logs/samples"
mkdir -p "$samples"
wine "$out/tools/make-sample-logs.exe" samples "$(winepath -w "$samples")" >/dev/null 2>&1
ver="$(wine "$out/norvale.exe" --version 2>/dev/null)"
if [ "$ver" = "Norvale $version" ]; then pass "--version"; else fail "--version" "printed '$ver'"; fi
if [ -x "$root/build/norvale" ]; then
  for file in "$samples"/*; do
    # The sample files only; samples/binary/ holds the binary alarm file's folder.
    [ -f "$file" ] || continue
    base="$(basename "$file")"
    wine "$out/norvale.exe" --to csv "$(winepath -w "$file")" >"$logs/$base.win.csv" 2>/dev/null
    QT_QPA_PLATFORM=offscreen "$root/build/norvale" --to csv "$file" >"$logs/$base.linux.csv" 2>/dev/null
    if cmp -s "$logs/$base.win.csv" "$logs/$base.linux.csv" && [ -s "$logs/$base.win.csv" ]; then
      pass "--to csv $base"
    else
      fail "--to csv $base" "differs from the Linux build's"
    fi
    wine "$out/norvale.exe" --to xlsx "$(winepath -w "$file")" -o "$(winepath -w "$logs/$base.win.xlsx")" >/dev/null 2>&1
    QT_QPA_PLATFORM=offscreen "$root/build/norvale" --to xlsx "$file" -o "$logs/$base.linux.xlsx" >/dev/null 2>&1
    rm -rf "$logs/x-win" "$logs/x-linux"
    unzip -q "$logs/$base.win.xlsx" -d "$logs/x-win" 2>/dev/null
    unzip -q "$logs/$base.linux.xlsx" -d "$logs/x-linux" 2>/dev/null
    if [ -d "$logs/x-win" ] && diff -r -x core.xml "$logs/x-win" "$logs/x-linux" >/dev/null; then
      pass "--to xlsx $base"
    else
      fail "--to xlsx $base" "differs from the Linux build's"
    fi
  done
else
  skip "--to csv|xlsx" "no Linux build (build/norvale) to compare with"
fi
png="$logs/curves.png"
data="$(ls "$samples" | grep -v -i '^alarm' | head -1)"
wine "$out/norvale.exe" --to png "$(winepath -w "$samples/$data")" -o "$(winepath -w "$png")" >/dev/null 2>&1
if [ -s "$png" ] && file "$png" | grep -q 'PNG image'; then pass "--to png"; else fail "--to png"; fi

# The installer: silent install, the installed program, the uninstaller.
setup="$out/norvale-$version-win64-setup.exe"
installed="$WINEPREFIX/drive_c/Program Files/Norvale"
if wine "$setup" /S && wineserver -w && [ -f "$installed/norvale.exe" ]; then
  pass "silent install"
  if [ "$(wine "$installed/norvale.exe" --version 2>/dev/null)" = "Norvale $version" ]; then
    pass "installed program starts"
  else
    fail "installed program starts"
  fi
  if wine reg query 'HKLM\Software\Classes\Applications\norvale.exe\SupportedTypes' /v .db >/dev/null 2>&1; then
    pass "Open with registration"
  else
    fail "Open with registration"
  fi
  wine "$installed/uninstall.exe" /S
  wineserver -w
  sleep 1
  wineserver -w
  if [ ! -e "$installed" ] && [ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Norvale.lnk" ]; then
    pass "uninstall leaves nothing"
  else
    fail "uninstall leaves nothing" "$(find "$installed" 2>/dev/null | head -5 | tr '\n' ' ')"
  fi
else
  fail "silent install"
fi
wineserver -k 2>/dev/null

echo "wine: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
