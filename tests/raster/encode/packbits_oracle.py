"""Decodes the encoder's PackBits rows with outside decoders.

  packbits_oracle.py SAMPLE_PROGRAM WORKDIR

The sample program writes TIFF files whose strips are single rows compressed
by the encoder. Each file is decoded with libtiff (tiffinfo -d) and with
Pillow; both must give back exactly the rows, and any warning or error counts
as a failure. Both decoders accept a row that decodes too long: libtiff only
warns, and Pillow's decoder stops silently once the image is full. So each
strip is also fed to Pillow's PackBits decoder with room for one byte more
than the row: a row that is not too long uses all its bytes and leaves the
decoder asking for more (the full decode checks the bytes themselves).
"""
import glob
import os
import shutil
import subprocess
import sys
import warnings


def libtiff_rows(path, width):
    run = subprocess.run(["tiffinfo", "-d", path], capture_output=True, text=True)
    if run.returncode != 0 or run.stderr.strip():
        raise AssertionError(f"tiffinfo on {path}: exit {run.returncode}, stderr: {run.stderr.strip()}")
    strips, current = [], None
    for line in run.stdout.splitlines():
        if line.startswith("Strip "):
            current = bytearray()
            strips.append(current)
        elif current is not None and line.startswith(" "):
            current.extend(bytes.fromhex(line))
    return b"".join(strips)


def pillow_rows(path):
    from PIL import Image  # Debian's python3-pil

    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with Image.open(path) as image:
            image.load()
            return image.tobytes()


def pillow_strips(path):
    from PIL import Image

    with Image.open(path) as image:
        width = image.size[0]
        offsets = image.tag_v2[273]
        counts = image.tag_v2[279]
    with open(path, "rb") as f:
        data = f.read()
    for row, (offset, count) in enumerate(zip(offsets, counts)):
        strip = data[offset:offset + count]
        target = Image.new("L", (width + 1, 1), 0)
        decoder = Image._getdecoder("L", "packbits", ("L",))
        decoder.setimage(target.im, (0, 0, width + 1, 1))
        consumed, error = decoder.decode(strip)
        if (consumed, error) != (len(strip), 0):
            raise AssertionError(f"{path} row {row}: Pillow's decoder reports {consumed, error} "
                                 f"for {len(strip)} bytes (row too long or broken)")


def main():
    sample, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    subprocess.run([sample, work], check=True, stdout=subprocess.DEVNULL)
    files = sorted(glob.glob(os.path.join(work, "*.tif")))
    if not files:
        raise AssertionError("no TIFF files written")
    for path in files:
        with open(path[:-4] + ".raw", "rb") as f:
            want = f.read()
        got = libtiff_rows(path, None)
        if got != want:
            raise AssertionError(f"libtiff decodes {path} differently ({len(got)} bytes, want {len(want)})")
        got = pillow_rows(path)
        if got != want:
            raise AssertionError(f"Pillow decodes {path} differently ({len(got)} bytes, want {len(want)})")
        pillow_strips(path)
        print(f"ok: {os.path.basename(path)}")


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # any failure, warning included, fails the test
        print(f"FAIL: {error}")
        sys.exit(1)
