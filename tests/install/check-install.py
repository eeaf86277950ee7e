#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks what a desktop gets.

check-install.py files|validate|mime BUILD_DIR SAMPLE_TOOL
  files     every installed file is there; the icons have their sizes
  validate  desktop-file-validate, appstreamcli and xmllint on the installed files
  mime      the file type is found by content, and our entry handles it
Exits 77 (skipped) with the reason when a tool it needs is missing.
"""

import gzip
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SKIP = 77
APP_ID = "tech.norvale.Norvale"
ICON_SIZES = [16, 32, 48, 64, 128, 256]
PANEL_LOG = "application/x-norvale-panel-log"
SQLITE = "application/vnd.sqlite3"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


def need(*tools):
    missing = [t for t in tools if shutil.which(t) is None]
    if missing:
        print("SKIP: not installed: " + ", ".join(missing))
        sys.exit(SKIP)


def run(args, env=None):
    result = subprocess.run(args, env=env, capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def install(build, prefix):
    code, out = run(["cmake", "--install", build, "--prefix", prefix])
    if code != 0:
        print(out)
        sys.exit("cmake --install failed")


def expected_files():
    files = ["bin/norvale",
             f"share/applications/{APP_ID}.desktop",
             f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
             f"share/mime/packages/{APP_ID}.xml",
             f"share/metainfo/{APP_ID}.metainfo.xml",
             "share/man/man1/norvale.1.gz",
             "share/doc/norvale/changelog.gz",
             "share/doc/norvale/copyright"]
    files += [f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES]
    return files


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def png_is_drawn(path):
    # Qt writes the drawing with zlib; a blank icon compresses to almost nothing.
    return os.path.getsize(path) > 100


def check_files(prefix):
    installed = set()
    for root, _, names in os.walk(prefix):
        for name in names:
            installed.add(os.path.relpath(os.path.join(root, name), prefix))
    expected = set(expected_files())
    for f in sorted(expected - installed):
        check(False, "not installed: " + f)
    for f in sorted(installed - expected):
        check(False, "installed but not expected: " + f)
    check(os.access(os.path.join(prefix, "bin/norvale"), os.X_OK), "bin/norvale is executable")
    for s in ICON_SIZES:
        png = os.path.join(prefix, f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png")
        if os.path.exists(png):
            check(png_size(png) == (s, s), f"{s}px icon is {png_size(png)}")
            check(png_is_drawn(png), f"{s}px icon has a drawing")
    desktop = open(os.path.join(prefix, f"share/applications/{APP_ID}.desktop"),
                   encoding="utf-8").read()
    for line in ["Name=Norvale", "Exec=norvale %f", f"Icon={APP_ID}",
                 f"MimeType={PANEL_LOG};{SQLITE};"]:
        check(line + "\n" in desktop, "desktop entry has " + line)
    for key in ["GenericName", "Comment"]:
        check(f"\n{key}=" in desktop and f"\n{key}[zh_CN]=" in desktop,
              f"desktop entry has {key} in English and Chinese")
    with gzip.open(os.path.join(prefix, "share/man/man1/norvale.1.gz"), "rt",
                   encoding="utf-8") as f:
        man = f.read()
    for text in ["csv", "xlsx", "png", "pdf", "EXIT STATUS", "EXAMPLES", "Norvale.conf",
                 "\\-\\-version", "\\-\\-help"]:
        check(text in man, "manual page names " + text)
    check("@" not in man, "manual page has every version filled in")


def check_validate(prefix):
    need("desktop-file-validate", "appstreamcli", "xmllint")
    desktop = os.path.join(prefix, f"share/applications/{APP_ID}.desktop")
    code, out = run(["desktop-file-validate", desktop])
    check(code == 0 and "error" not in out.lower(), "desktop-file-validate: " + out.strip())
    metainfo = os.path.join(prefix, f"share/metainfo/{APP_ID}.metainfo.xml")
    code, out = run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo])
    check(code == 0, "appstreamcli validate: " + out.strip())
    mime = os.path.join(prefix, f"share/mime/packages/{APP_ID}.xml")
    schema = "/usr/share/mime/packages/shared-mime-info.xsd"  # shipped by some systems
    args = ["xmllint", "--noout"] + (["--schema", schema] if os.path.exists(schema) else [])
    code, out = run(args + [mime])
    check(code == 0, "xmllint: " + out.strip())


def check_mime(prefix, sample_tool):
    need("update-mime-database", "gio", "xdg-mime", "update-desktop-database")
    share = os.path.join(prefix, "share")
    home = os.path.join(prefix, "home")
    os.makedirs(home)
    env = dict(os.environ)
    for var in ["XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"]:
        env.pop(var, None)
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_DIRS=share + ":" + env.get("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
    code, out = run(["update-mime-database", os.path.join(share, "mime")], env)
    check(code == 0, "update-mime-database: " + out.strip())
    code, out = run(["update-desktop-database", os.path.join(share, "applications")], env)
    check(code == 0, "update-desktop-database: " + out.strip())

    samples = os.path.join(prefix, "samples")
    code, out = run([sample_tool, "samples", samples])
    if code != 0:
        sys.exit("make-sample-logs: " + out)
    files = os.path.join(prefix, "files")
    os.makedirs(files)
    cases = [("x.bin", "Data.bin", PANEL_LOG),
             ("Alarm.db", "binary/Alarm.db", PANEL_LOG),
             ("log.dat", "binary/Alarm.db", PANEL_LOG),
             ("records", "Data.bin", PANEL_LOG),
             ("Buffer.db", "Buffer.db", SQLITE),
             ("history.db", "Alarm.db", SQLITE)]
    for index, (name, source, expected) in enumerate(cases):
        folder = os.path.join(files, str(index))
        os.makedirs(folder)
        path = os.path.join(folder, name)
        shutil.copyfile(os.path.join(samples, source), path)
        code, out = run(["gio", "info", "-a", "standard::content-type", path], env)
        found = [l.rsplit(": ", 1)[1].strip() for l in out.splitlines()
                 if "standard::content-type" in l]
        check(found == [expected], f"{name} ({source}) is {found}, expected {expected}")

    code, out = run(["xdg-mime", "query", "default", PANEL_LOG], env)
    check(out.strip() == APP_ID + ".desktop", "xdg-mime default for the panel log: " + out.strip())


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("files", "validate", "mime"):
        sys.exit(__doc__)
    mode, build, sample_tool = sys.argv[1:]
    with tempfile.TemporaryDirectory() as prefix:
        install(build, prefix)
        if mode == "files":
            check_files(prefix)
        elif mode == "validate":
            check_validate(prefix)
        else:
            check_mime(prefix, sample_tool)
    if failures:
        sys.exit(f"{len(failures)} check(s) failed")
    print(mode + ": all checks passed")


if __name__ == "__main__":
    main()
