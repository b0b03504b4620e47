"""cellplot --format=vtkhdf with several jobs against one: the same groups,
attributes and datasets, value for value, as h5py reads them, with more and
fewer pieces than jobs and an empty piece.  (HDF5 stores object times, so
the files are compared dataset by dataset rather than byte by byte.)  Run
by CTest as
    python3 vtkhdf_jobs_test.py CELLPLOT
"""
import os
import subprocess
import sys
import tempfile

import h5py
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vtk_round_trip_test import make_pieces, write_result  # noqa: E402

CELLPLOT = sys.argv[1]


def contents(path):
    """Every group's attributes and every dataset of the file, by path."""
    found = {}
    with h5py.File(path, "r") as f:
        def visit(name, obj):
            attrs = {k: np.asarray(v).tolist() for k, v in obj.attrs.items()}
            if isinstance(obj, h5py.Dataset):
                found[name] = (obj.dtype.str, obj.shape, obj[()].tobytes(), attrs)
            else:
                found[name] = attrs
        found["/"] = {k: np.asarray(v).tolist() for k, v in f.attrs.items()}
        f.visititems(visit)
    return found


def main():
    layouts = [("3 pieces, one empty", [40, 0, 25]),
               ("9 pieces", [30, 12, 7, 0, 50, 3, 18, 22, 9]),
               ("1 piece", [60])]
    styles = [["--format=vtkhdf"],
              ["--format=vtkhdf", "--compress=zlib", "--precision=single"],
              ["--format=vtkhdf", "--points=per-cell", "--cell-arrays=level,piece"]]
    failures = 0
    for label, counts in layouts:
        with tempfile.TemporaryDirectory() as folder:
            for ip, p in enumerate(make_pieces(23, counts, 3, (1.0, 1.0, 1.0), 2, 5, False)):
                write_result(os.path.join(folder, f"reso{ip:06d}0000.res"), p)
            for style in styles:
                expected = None
                for jobs in ("1", "2", "3", "8"):
                    run = subprocess.run([CELLPLOT, "--encoding=binary", "--overwrite",
                                          "--jobs", jobs, *style], cwd=folder,
                                         capture_output=True, text=True)
                    if run.returncode != 0:
                        print(f"FAILED: {label} {style} --jobs {jobs}: {run.stderr}")
                        failures += 1
                        continue
                    got = contents(os.path.join(folder, "pview0000.hdf"))
                    if expected is None:
                        expected = got
                    elif got != expected:
                        differ = sorted(k for k in set(got) | set(expected)
                                        if got.get(k) != expected.get(k))
                        print(f"FAILED: {label} {style} --jobs {jobs}: {differ} differ")
                        failures += 1
    if failures:
        sys.exit(1)
    print("ok")


main()
