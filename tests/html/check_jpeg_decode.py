#!/usr/bin/env python3
"""Runs the JPEG encoder's decode test under Wine, decodes every JPEG it wrote
with libjpeg's djpeg and compares each decoded picture with its source.

    check_jpeg_decode.py RUNNER [ARGS...]

The runner (the test program through the Wine wrapper) writes NAME.ppm,
NAME.jpg and manifest.txt ("NAME MIN_PSNR" lines) into CVM_JPEG_OUT.
A JPEG fails when djpeg reports any warning or error (bad markers, byte
stuffing or Huffman data), when its size differs from the source, or when its
PSNR is below the least the test states for it."""
import math
import os
import shutil
import subprocess
import sys
import tempfile


def read_ppm(data):
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1  # the single white space before the samples
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:pos + width * height * 3]


def psnr(a, b):
    se = sum((x - y) * (x - y) for x, y in zip(a, b))
    if se == 0:
        return float("inf")
    return 10 * math.log10(255.0 * 255.0 * len(a) / se)


def main():
    djpeg = shutil.which("djpeg")
    if not djpeg:
        print("djpeg is missing (package libjpeg-turbo-progs; scripts/setup.sh installs it)")
        return 1
    out = tempfile.mkdtemp(prefix="cvm-jpeg-")
    try:
        env = dict(os.environ, CVM_JPEG_OUT="Z:" + out.replace("/", "\\"))
        run = subprocess.run(sys.argv[1:] + ["--gtest_filter=JpegDecode.*"], env=env)
        if run.returncode != 0:
            return run.returncode
        failures = 0
        with open(os.path.join(out, "manifest.txt")) as manifest:
            for line in manifest:
                name, least = line.split()
                decoded = subprocess.run([djpeg, "-ppm", os.path.join(out, name + ".jpg")],
                                         capture_output=True)
                problem = decoded.stderr.decode(errors="replace").strip()
                if decoded.returncode != 0 or problem:
                    print(f"{name}: djpeg: exit {decoded.returncode} {problem}")
                    failures += 1
                    continue
                with open(os.path.join(out, name + ".ppm"), "rb") as f:
                    sw, sh, source = read_ppm(f.read())
                dw, dh, pixels = read_ppm(decoded.stdout)
                if (sw, sh) != (dw, dh):
                    print(f"{name}: decoded {dw}x{dh}, source {sw}x{sh}")
                    failures += 1
                    continue
                value = psnr(source, pixels)
                ok = value >= float(least)
                print(f"{name}: PSNR {value:.2f} dB (least {float(least):.0f}) {'ok' if ok else 'FAILED'}")
                failures += 0 if ok else 1
        return 1 if failures else 0
    finally:
        shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
