#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with apt-get,
# runs the installed program from the PATH, removes it and checks that every
# file it brought is gone. Needs root (apt-get install/remove).
#   scripts/check-deb.sh [BUILD_DIR]      (default: build-deb)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-deb}"
if [ "$(id -u)" -ne 0 ]; then
  echo "check-deb: needs root to install and remove the package" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' norvale 2>/dev/null | grep -q 'install ok installed'; then
  echo "check-deb: norvale is installed already; remove it first" >&2
  exit 1
fi
for tool in cpack lintian dpkg-shlibdeps gio; do
  command -v "$tool" >/dev/null || { echo "check-deb: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

step() { printf '\n== %s\n' "$*"; }
fail() { echo "check-deb: FAILED: $*" >&2; exit 1; }

step "build (Release, no tests) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target norvale make-sample-logs >/dev/null

step "cpack -G DEB"
rm -f "$build"/norvale_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/norvale_*_*.deb)"
echo "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends

step "lintian"
lintian_out="$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)"
echo "${lintian_out:-(nothing)}"
if grep -q '^E:' <<<"$lintian_out"; then fail "lintian reports errors"; fi

step "apt-get install ./$(basename "$deb")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$deb" "$work/"
(cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")" >/dev/null)
dpkg-query -L norvale | sort > "$work/files"

step "the installed program from the PATH"
[ "$(command -v norvale)" = /usr/bin/norvale ] || fail "norvale is not /usr/bin/norvale on the PATH"
norvale --version
"$build/tools/make-sample-logs" samples "$work/samples" >/dev/null
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" norvale --to csv samples/Data.bin -o data.csv)
echo "data.csv: $(wc -l < "$work/data.csv") lines"
[ "$(wc -l < "$work/data.csv")" -gt 1 ] || fail "norvale --to csv wrote no records"
man -w norvale >/dev/null || fail "man cannot find norvale(1)"
# The system's triggers have refreshed the MIME database: the type is known by content.
cp "$work/samples/Data.bin" "$work/x.bin"
type="$(gio info -a standard::content-type "$work/x.bin" | sed -n 's/.*standard::content-type: //p')"
echo "x.bin: $type"
[ "$type" = application/x-norvale-panel-log ] || fail "the panel log type is not installed"
grep -q 'application/x-norvale-panel-log=tech.norvale.Norvale.desktop' \
  /usr/share/applications/mimeinfo.cache || fail "the desktop database does not list the entry"

step "apt-get remove norvale"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq norvale >/dev/null
left=0
while read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
done < "$work/files"
[ "$left" -eq 0 ] || fail "files left after removal"
hash -r
command -v norvale >/dev/null && fail "norvale still on the PATH"
echo "every installed file is gone"
echo
echo "check-deb: all checks passed"
