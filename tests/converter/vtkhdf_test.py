"""cellplot --format=vtkhdf as a user and h5py see it: the file's layout
(group, attributes and their types, per-piece counts, offsets restarting at
0 in each piece, dataset types, compression), runs of several outputs and
their pview.hdf.series, refusals, and failures and interruptions, which must
leave no .hdf under its final name and no temporary file.  Run by CTest as
    python3 vtkhdf_test.py CELLPLOT MAKE_RESULTS
(the values themselves are compared in vtk_round_trip_test.py).
"""
import json
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time

import h5py
import numpy as np
import vtk

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vtk_round_trip_test import make_pieces, write_result  # noqa: E402

CELLPLOT, MAKE_RESULTS = sys.argv[1], sys.argv[2]


def run(folder, *args):
    return subprocess.run([CELLPLOT, *args], cwd=folder, capture_output=True, text=True)


def stray_files(folder):
    """Files that no complete run leaves: temporary files and XML output."""
    return sorted(n for n in os.listdir(folder)
                  if ".hdf." in n and not n.endswith(".series") or n.endswith(("vtu", ".pvd")))


def write_pieces(folder, pieces, outnum=0):
    for ip, p in enumerate(pieces):
        write_result(os.path.join(folder, f"reso{ip:06d}{outnum:04d}.res"), p)


def check_layout():
    counts = [40, 0, 25, 7]
    for options, real, deflate, shared in (
            (["--format=vtkhdf"], np.float64, False, True),
            (["--format=vtkhdf", "--precision=single", "--compress=zlib", "--points=per-cell",
              "--cell-type=hexahedron", "--cell-arrays=level,piece"], np.float32, True, False)):
        with tempfile.TemporaryDirectory() as folder:
            write_pieces(folder, make_pieces(3, counts, 18, (1.0, 1.0, 1.0), 0, 6, False))
            r = run(folder, "--encoding=binary", "--output=0", *options)
            assert r.returncode == 0 and r.stderr == "", r
            assert sorted(os.listdir(folder)) == ["pview0000.hdf"] + [
                f"reso{ip:06d}0000.res" for ip in range(4)], os.listdir(folder)
            umask = os.umask(0)
            os.umask(umask)
            mode = os.stat(os.path.join(folder, "pview0000.hdf")).st_mode & 0o777
            assert mode == 0o666 & ~umask, oct(mode)  # as any new output file
            with h5py.File(os.path.join(folder, "pview0000.hdf"), "r") as f:
                g = f["VTKHDF"]
                assert list(f) == ["VTKHDF"], list(f)
                version = g.attrs["Version"]
                assert version.dtype == np.int64 and list(version) == [1, 0], version
                kind = g.attrs.get_id("Type").get_type()
                assert isinstance(kind, h5py.h5t.TypeStringID) and not kind.is_variable_str()
                assert kind.get_cset() == h5py.h5t.CSET_ASCII and kind.get_size() == 16
                assert g.attrs["Type"] == b"UnstructuredGrid", g.attrs["Type"]
                for name in ("NumberOfCells", "NumberOfPoints", "NumberOfConnectivityIds"):
                    assert g[name].dtype == np.int64 and g[name].shape == (len(counts),), name
                assert list(g["NumberOfCells"][:]) == counts
                assert list(g["NumberOfConnectivityIds"][:]) == [8 * n for n in counts]
                npoints = list(g["NumberOfPoints"][:])
                if shared:  # at most eight per cell; an empty piece has none
                    assert all(0 < p <= 8 * n for p, n in zip(npoints, counts) if n), npoints
                    assert npoints[1] == 0, npoints
                else:
                    assert npoints == [8 * n for n in counts], npoints
                ncells = sum(counts)
                assert g["Points"].shape == (sum(npoints), 3) and g["Points"].dtype == real
                assert g["Types"].dtype == np.uint8 and g["Types"].shape == (ncells,)
                assert set(g["Types"][:]) == {12 if "--cell-type=hexahedron" in options else 11}
                assert g["Connectivity"].dtype == np.int64 and g["Offsets"].dtype == np.int64
                offsets, connectivity = g["Offsets"][:], g["Connectivity"][:]
                assert len(offsets) == ncells + len(counts), len(offsets)
                assert len(connectivity) == 8 * ncells, len(connectivity)
                at = conn_at = 0
                for n, p in zip(counts, npoints):
                    # Each piece: its own offsets from 0, its own point numbers
                    # from 0, every point used.
                    assert list(offsets[at:at + n + 1]) == list(range(0, 8 * n + 1, 8)), n
                    mine = connectivity[conn_at:conn_at + 8 * n]
                    assert sorted(set(mine)) == list(range(p)), (n, p)
                    at += n + 1
                    conn_at += 8 * n
                cell_data = g["CellData"]
                names = ["Velocity", "Density", "Energy", "Temperature", "Pressure"] + [
                    f"Species{j:02d}" for j in range(1, 19)]
                extra = {"Level": np.uint8, "Piece": np.int32} if not shared else {}
                assert sorted(cell_data) == sorted(names + list(extra)), list(cell_data)
                for name in names:
                    d = cell_data[name]
                    assert d.dtype == real, (name, d.dtype)
                    assert d.shape == ((ncells, 3) if name == "Velocity" else (ncells,)), d.shape
                for name, kind in extra.items():
                    assert cell_data[name].dtype == kind and cell_data[name].shape == (ncells,)
                if extra:
                    assert list(cell_data["Piece"][:]) == [
                        ip for ip, n in enumerate(counts) for _ in range(n)]
                for d in [g["Points"], g["Connectivity"], g["Offsets"], g["Types"],
                          *cell_data.values()]:
                    assert d.chunks is not None, d.name
                    assert (d.compression == "gzip") == deflate, (d.name, d.compression)


def make_output(folder, outnum, pieces=2, cells=None):
    args = ["--pieces", str(pieces), "--level", "3", "--outnum", str(outnum)]
    if cells:
        args += ["--cells", str(cells), "--species", "0", "--binary"]
    subprocess.run([MAKE_RESULTS, *args], cwd=folder, check=True, stdout=subprocess.DEVNULL)


def check_series_of_three_outputs():
    with tempfile.TemporaryDirectory() as folder:
        for outnum in (2, 10, 11):
            make_output(folder, outnum)
        r = run(folder, "--format=vtkhdf", "--outputs=all")
        assert r.returncode == 0 and r.stderr == "", r
        assert stray_files(folder) == [], stray_files(folder)
        with open(os.path.join(folder, "pview.hdf.series")) as f:
            series = json.load(f)
        assert series["file-series-version"] == "1.0", series
        assert series["files"] == [{"name": f"pview{n:04d}.hdf", "time": n}
                                   for n in (2, 10, 11)], series
        for entry in series["files"]:
            reader = vtk.vtkHDFReader()
            reader.SetFileName(os.path.join(folder, entry["name"]))
            reader.Update()
            assert reader.GetOutput().GetNumberOfCells() > 0, entry
        # Again: refused before anything is written, then replaced on request.
        before = {n: os.path.getmtime(os.path.join(folder, n)) for n in os.listdir(folder)}
        again = run(folder, "--format=vtkhdf", "--outputs=all")
        assert again.returncode == 1, again
        assert again.stderr == "cellplot: pview.hdf.series: already exists; remove it first " \
                               "or use --overwrite\n", again.stderr
        one = run(folder, "--format=vtkhdf", "--output=10")
        assert one.stderr == "cellplot: pview0010.hdf: already exists; remove it first or use " \
                             "--overwrite\n", one.stderr
        assert before == {n: os.path.getmtime(os.path.join(folder, n)) for n in os.listdir(folder)}
        replaced = run(folder, "--format=vtkhdf", "--outputs=10-11", "--overwrite")
        assert replaced.returncode == 0, replaced
        with open(os.path.join(folder, "pview.hdf.series")) as f:
            assert [e["time"] for e in json.load(f)["files"]] == [10, 11]
        assert stray_files(folder) == [], stray_files(folder)


def check_refusals():
    with tempfile.TemporaryDirectory() as folder:
        make_output(folder, 0)
        r = run(folder, "--format=vtkhdf", "--compress=lz4")
        assert r.returncode == 2, r
        assert r.stderr.startswith("cellplot: --compress=lz4: ") and "zlib" in r.stderr, r.stderr
        assert sorted(os.listdir(folder)) == ["reso0000000000.res", "reso0000010000.res"]


def check_failure_in_the_last_piece():
    with tempfile.TemporaryDirectory() as folder:
        # Output 3 is complete; the last piece of output 4 is cut short.
        make_output(folder, 3, pieces=3)
        make_output(folder, 4, pieces=3)
        last = os.path.join(folder, "reso0000020004.res")
        with open(last) as f:
            text = f.read()
        with open(last, "w") as f:
            f.write(text[:len(text) // 2])
        r = run(folder, "--format=vtkhdf", "--outputs=3-4")
        assert r.returncode == 1, r
        assert r.stderr.startswith("cellplot: reso0000020004.res: ") and \
            r.stderr.endswith("; pview0004.hdf was not written\n"), r.stderr
        assert not os.path.exists(os.path.join(folder, "pview0004.hdf"))
        assert stray_files(folder) == [], stray_files(folder)
        with open(os.path.join(folder, "pview.hdf.series")) as f:
            assert json.load(f)["files"] == [{"name": "pview0003.hdf", "time": 3}]
        with h5py.File(os.path.join(folder, "pview0003.hdf"), "r") as f:
            assert len(f["VTKHDF/NumberOfCells"]) == 3


def check_failed_write():
    """A write that fails (the file-size limit, SIGXFSZ ignored) ends the run
    with the one line and leaves nothing; HDF5 must not crash at exit after
    the failed close."""
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (300000, 300000))
    with tempfile.TemporaryDirectory() as folder:
        make_output(folder, 0, pieces=3)
        for options in ([], ["--compress=zlib"]):
            r = subprocess.run([CELLPLOT, "--format=vtkhdf", *options], cwd=folder,
                               capture_output=True, text=True, preexec_fn=limit)
            assert r.returncode == 1, r
            assert r.stderr.startswith("cellplot: pview0000.hdf: cannot write: ") and \
                r.stderr.endswith("File too large; the incomplete file was removed\n"), r.stderr
            assert sorted(os.listdir(folder)) == [f"reso{ip:06d}0000.res" for ip in range(3)]


def check_interruption():
    with tempfile.TemporaryDirectory() as folder:
        make_output(folder, 0, pieces=3, cells=300000)
        for sig, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            proc = subprocess.Popen([CELLPLOT, "--format=vtkhdf", "--encoding=binary"],
                                    cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, text=True)
            end = time.monotonic() + 60
            while not any(n.startswith("pview0000.hdf.") and
                          os.path.getsize(os.path.join(folder, n)) > 1 << 20
                          for n in os.listdir(folder)):
                assert proc.poll() is None, proc.communicate()
                assert time.monotonic() < end, "timed out"
                time.sleep(0.002)
            proc.send_signal(sig)
            out, err = proc.communicate(timeout=60)
            assert proc.returncode == status, (sig, proc.returncode, err)
            assert out == "" and err == \
                "cellplot: pview0000.hdf: interrupted; the incomplete file was removed\n", err
            assert sorted(os.listdir(folder)) == [f"reso{ip:06d}0000.res" for ip in range(3)], \
                os.listdir(folder)


check_layout()
check_series_of_three_outputs()
check_refusals()
check_failure_in_the_last_piece()
check_failed_write()
check_interruption()
print("ok")
