#!/usr/bin/env python3
"""make-ico.py OUT.ico IN.png...: one Windows icon holding the given PNGs
(each at most 256 px square), so the .ico shows the same drawing as the PNGs."""
import os
import struct
import sys
import tempfile


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG")
    return struct.unpack(">II", data[16:24])


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: make-ico.py OUT.ico IN.png...\n")
        return 2
    images = []
    for name in argv[2:]:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise ValueError(f"{name}: larger than 256 px")
        images.append((width, height, data))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for width, height, data in images:
        # 0 stands for 256 in the one-byte sizes.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(data), offset)
        offset += len(data)
        blobs += data
    out = argv[1]
    fd, tmp = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(out)))
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(header + entries + blobs)
            f.flush()
            os.fsync(f.fileno())
        os.replace(tmp, out)
    except BaseException:
        os.unlink(tmp)
        raise
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
