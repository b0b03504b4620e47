"""cellplot-mpi --format=vtkhdf on NP processes against cellplot --format=vtkhdf:
every dataset and attribute of the one file equal, value for value (through
h5py), for pieces of different sizes with an empty one, 0 and 18 species,
both precisions, zlib, and a run of several outputs with its series; and the
failures: a damaged piece, an existing output, each ending non-zero with
one message and no .hdf or temporary file left.  Run by CTest (under
cellkeys_add_mpi_test's environment, whose CELLKEYS_MPIEXEC is the command
that starts a job of NP processes) as
    python3 vtkhdf_mpi_test.py CELLPLOT CELLPLOT_MPI NP
"""
import json
import os
import subprocess
import sys
import tempfile

import h5py
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vtk_round_trip_test import make_pieces, write_result  # noqa: E402

CELLPLOT, CELLPLOT_MPI, NP = sys.argv[1], sys.argv[2], sys.argv[3]
MPIEXEC = os.environ["CELLKEYS_MPIEXEC"].split()


def run_mpi(folder, *args):
    return subprocess.run([*MPIEXEC, CELLPLOT_MPI, *args], cwd=folder,
                          capture_output=True, text=True, timeout=120)


def contents(path):
    """Every dataset (its type, shape and bytes) and the group's attributes."""
    found = {}
    with h5py.File(path, "r") as f:
        def visit(name, obj):
            if isinstance(obj, h5py.Dataset):
                v = obj[()]
                found[name] = (v.dtype.str, v.shape, v.tobytes())
        f.visititems(visit)
        found["attributes"] = sorted((k, repr(v)) for k, v in f["VTKHDF"].attrs.items())
    return found


def write_output(folder, outnum, counts, nspecies):
    for ip, p in enumerate(make_pieces(outnum + nspecies, counts, nspecies, (1.0, 1.0, 1.0), 0, 5,
                                       True)):
        write_result(os.path.join(folder, f"reso{ip:06d}{outnum:04d}.res"), p)


def messages(stderr):
    """The program's lines, less the notices of processes that mpiexec ends
    once one has returned non-zero."""
    return [l for l in stderr.splitlines()
            if l.startswith("cellplot-mpi:") and l != "cellplot-mpi: interrupted"]


def leftovers(folder):
    return sorted(n for n in os.listdir(folder) if not n.endswith(".res"))


def check_same_as_cellplot():
    cases = [  # (cells per piece, species, options)
        ([30, 0, 55, 12, 1], 18, []),
        ([30, 0, 55, 12, 1], 18, ["--precision=single", "--compress=zlib"]),
        ([7, 40, 0], 0, ["--points=per-cell", "--cell-arrays=level,piece",
                         "--cell-type=hexahedron"]),
        ([0], 2, []),
    ]
    for counts, nspecies, options in cases:
        with tempfile.TemporaryDirectory() as folder:
            write_output(folder, 0, counts, nspecies)
            args = ["--format=vtkhdf", "--encoding=binary", "--output=0", *options]
            subprocess.run([CELLPLOT, *args], cwd=folder, check=True)
            os.rename(os.path.join(folder, "pview0000.hdf"), os.path.join(folder, "want.h5"))
            m = run_mpi(folder, *args)
            assert m.returncode == 0 and m.stderr == "", (counts, options, m)
            assert leftovers(folder) == ["pview0000.hdf", "want.h5"], leftovers(folder)
            want = contents(os.path.join(folder, "want.h5"))
            got = contents(os.path.join(folder, "pview0000.hdf"))
            assert sorted(got) == sorted(want), (sorted(got), sorted(want))
            for name in want:
                assert got[name] == want[name], (counts, options, name)


def check_several_outputs():
    with tempfile.TemporaryDirectory() as folder:
        for outnum, counts in ((3, [20, 9]), (4, [0, 11, 6])):
            write_output(folder, outnum, counts, 2)
        m = run_mpi(folder, "--format=vtkhdf", "--encoding=binary", "--outputs=all")
        assert m.returncode == 0 and m.stderr == "", m
        assert leftovers(folder) == ["pview.hdf.series", "pview0003.hdf", "pview0004.hdf"]
        with open(os.path.join(folder, "pview.hdf.series")) as f:
            assert json.load(f)["files"] == [{"name": "pview0003.hdf", "time": 3},
                                             {"name": "pview0004.hdf", "time": 4}]
        with h5py.File(os.path.join(folder, "pview0004.hdf"), "r") as f:
            assert list(f["VTKHDF/NumberOfCells"][:]) == [0, 11, 6]
            assert list(f["VTKHDF/Offsets"][:]) == [0] + list(range(0, 89, 8)) + \
                list(range(0, 49, 8))
        again = run_mpi(folder, "--format=vtkhdf", "--encoding=binary", "--output=4")
        assert again.returncode != 0 and messages(again.stderr) == [
            "cellplot-mpi: pview0004.hdf: already exists; remove it first or use --overwrite"], \
            again.stderr


def check_damaged_piece():
    with tempfile.TemporaryDirectory() as folder:
        write_output(folder, 0, [10, 20, 30, 25], 3)
        last = os.path.join(folder, "reso0000030000.res")
        with open(last, "r+b") as f:
            f.truncate(os.path.getsize(last) // 2)
        m = run_mpi(folder, "--format=vtkhdf", "--encoding=binary", "--output=0")
        assert m.returncode != 0, m
        lines = messages(m.stderr)
        assert len(lines) == 1 and lines[0].startswith("cellplot-mpi: reso0000030000.res: ") and \
            lines[0].endswith("; pview0000.hdf was not written"), m.stderr
        assert leftovers(folder) == [], leftovers(folder)


check_same_as_cellplot()
check_several_outputs()
check_damaged_piece()
print("ok")
