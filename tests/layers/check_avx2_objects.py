#!/usr/bin/env python3
"""The ball code's AVX2 object files define no shared inline code.

Files compiled for AVX2 must not hold out-of-line copies of functions other files use too (a
vector's method, an array's accessor, a header's helper): the linker keeps one copy of such a
function for every caller, and if it keeps the AVX2 one, a processor without AVX2 runs AVX2
instructions. Such copies are weak or unique symbols (nm's W, V, u); anything else is the
file's own.

Usage: check_avx2_objects.py OBJECT...   (only the names ending in _avx2.cpp.o are looked at)
"""
import subprocess
import sys


def main(objects):
    avx2 = [o for o in objects if o.endswith("_avx2.cpp.o")]
    if not avx2:
        print("no AVX2 object files in this build")
        return 0
    found = 0
    for obj in avx2:
        listing = subprocess.run(["nm", "-C", "--defined-only", obj], check=True,
                                 capture_output=True, text=True).stdout
        for line in listing.splitlines():
            parts = line.split(" ", 2)
            if len(parts) == 3 and parts[1] in ("W", "V", "u"):
                print(f"{obj}: shared inline code compiled for AVX2: {parts[2]}")
                found += 1
    if found == 0:
        print(f"{len(avx2)} AVX2 object files, no shared inline code in them")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
