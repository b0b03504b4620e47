"""Runs that fail, are stopped or run beside another, and what they leave:
every collection file left parses and lists exactly the outputs that VTK
can open, a rerun with --update finishes the job, and a second run in the
same directory is refused while the first one's files stay intact.
Run by CTest as
    python3 stopped_runs_test.py CELLPLOT MAKE_RESULTS
"""
import json
import os
import resource
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import vtk

from run_support import wait_until_written

CELLPLOT, MAKE_RESULTS = sys.argv[1], sys.argv[2]


def make_results(folder, *args):
    subprocess.run([MAKE_RESULTS, *args], cwd=folder, check=True, stdout=subprocess.DEVNULL)


def run(folder, *args, preexec_fn=None):
    return subprocess.run([CELLPLOT, *args], cwd=folder, capture_output=True, text=True,
                          preexec_fn=preexec_fn)


def start(folder, *args, preexec_fn=None):
    return subprocess.Popen([CELLPLOT, *args], cwd=folder, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            preexec_fn=preexec_fn)



def opens_in_vtk(path):
    reader = vtk.vtkXMLPUnstructuredGridReader()
    reader.SetFileName(path)
    reader.Update()
    return reader.GetErrorCode() == 0 and reader.GetOutput().GetNumberOfCells() > 0


def listed(folder, fmt="ascii"):
    """The output numbers that the collection lists (None when there is
    none), after checking that each listed file opens in VTK: pview.pvd of
    .pvtu masters, or pview.hdf.series of .hdf files."""
    if fmt == "vtkhdf":
        path = os.path.join(folder, "pview.hdf.series")
        if not os.path.exists(path):
            return None
        with open(path) as f:
            series = json.load(f)  # fails on a file that is not whole
        assert series["file-series-version"] == "1.0", series
        for entry in series["files"]:
            reader = vtk.vtkHDFReader()
            reader.SetFileName(os.path.join(folder, entry["name"]))
            reader.Update()
            assert reader.GetOutput().GetNumberOfCells() > 0, entry
        return [entry["time"] for entry in series["files"]]
    pvd = os.path.join(folder, "pview.pvd")
    if not os.path.exists(pvd):
        return None
    root = ET.parse(pvd).getroot()  # fails on a file that is not whole
    sets = root.find("Collection").findall("DataSet")
    for d in sets:
        assert opens_in_vtk(os.path.join(folder, d.get("file"))), d.get("file")
    return [int(d.get("timestep")) for d in sets]


def masters_complete(folder):
    """The outputs whose master file ends with its closing lines."""
    found = []
    for n in sorted(os.listdir(folder)):
        if n.startswith("pview") and n.endswith(".pvtu"):
            with open(os.path.join(folder, n)) as f:
                if f.read().endswith("</VTKFile>\n"):
                    found.append(int(n[5:9]))
    return found


def file_size_limit(limit):
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


def formats():
    """The output formats of this build: vtkhdf only where HDF5 was found."""
    probe = subprocess.run([CELLPLOT, "--format=vtkhdf", "--help"], capture_output=True)
    return ("ascii", "binary") + (("vtkhdf",) if probe.returncode == 0 else ())


def check_file_size_limit():
    """A file-size limit, as batch systems set, met in the second output:
    one line and status 1 in each format, the first output listed, and
    --update then converts the second again."""
    for fmt in formats():
        with tempfile.TemporaryDirectory() as folder:
            make_results(folder, "--pieces", "2", "--level", "2", "--outnum", "1")
            make_results(folder, "--pieces", "2", "--cells", "100000", "--species", "0",
                         "--outnum", "2")
            failed = run(folder, "--outputs=1,2", "--format=" + fmt,
                         preexec_fn=file_size_limit(6_000_000))
            assert failed.returncode == 1, (fmt, failed)
            if fmt == "vtkhdf":
                # Written under a temporary name, removed, named by its final name.
                assert failed.stderr.startswith("cellplot: pview0002.hdf: cannot write: ") and \
                    failed.stderr.count("\n") == 1, failed.stderr
                assert sorted(n for n in os.listdir(folder) if ".hdf" in n) == [
                    "pview.hdf.series", "pview0001.hdf"]
            else:
                assert failed.stderr == \
                    "cellplot: view0000000002.vtu: cannot write: File too large\n", \
                    (fmt, failed.stderr)
                assert masters_complete(folder) == [1], fmt
            assert listed(folder, fmt) == [1], fmt

            done = run(folder, "--outputs=all", "--update", "--format=" + fmt)
            assert done.returncode == 0 and done.stderr == "", (fmt, done)
            assert listed(folder, fmt) == [1, 2], fmt


def check_failed_first_output():
    """A run that fails before any output is complete leaves no collection,
    so that the rerun with the fix is not refused."""
    with tempfile.TemporaryDirectory() as folder:
        for outnum in ("1", "2"):
            make_results(folder, "--pieces", "2", "--level", "2", "--outnum", outnum)
        failed = run(folder, "--outputs=1-2", "--encoding=binary")
        assert failed.returncode == 1 and failed.stderr.startswith(
            "cellplot: reso0000000001.res: "), failed
        assert sorted(n for n in os.listdir(folder) if not n.endswith(".res")) == []
        fixed = run(folder, "--outputs=1-2")
        assert fixed.returncode == 0 and fixed.stderr == "", fixed
        assert listed(folder) == [1, 2]
        # An output of the list that is not there: the hint names --outputs.
        missing = run(folder, "--outputs=1,7", "--update")
        assert missing.returncode == 1 and missing.stderr == (
            "cellplot: reso0000000007.res: cannot open: No such file or directory; found outputs "
            "1, 2; choose among them with --outputs\n"), missing.stderr
        assert listed(folder) == [1, 2]


def check_interrupted_second_output_then_update():
    """An interrupted second output leaves a collection of the first; once
    the solver has added a third output, --update converts the second again
    and the third, leaves the first alone and lists all three."""
    with tempfile.TemporaryDirectory() as folder:
        make_results(folder, "--pieces", "2", "--level", "2", "--outnum", "1")
        make_results(folder, "--pieces", "2", "--cells", "300000", "--species", "0",
                     "--outnum", "2")
        # One job, so that piece 1 is the one open when the signal comes.
        proc = start(folder, "--outputs=all", "--jobs=1")
        wait_until_written(proc, os.path.join(folder, "view0000010002.vtu"))
        proc.send_signal(signal.SIGTERM)
        _, err = proc.communicate(timeout=60)
        assert proc.returncode == 143, (proc.returncode, err)
        assert err == "cellplot: view0000010002.vtu: interrupted; this file is incomplete\n", err
        assert listed(folder) == [1]
        assert masters_complete(folder) == [1]

        make_results(folder, "--pieces", "3", "--level", "2", "--outnum", "3")
        first = {n: os.stat(os.path.join(folder, n)).st_mtime_ns
                 for n in ("pview0001.pvtu", "view0000000001.vtu", "view0000010001.vtu")}
        # Refused without --update: the files of output 2 are there.
        refused = run(folder, "--outputs=all")
        assert refused.returncode == 1 and "already exists" in refused.stderr, refused
        done = run(folder, "--outputs=all", "--update")
        assert done.returncode == 0 and done.stderr == "", done
        assert listed(folder) == [1, 2, 3]
        assert first == {n: os.stat(os.path.join(folder, n)).st_mtime_ns for n in first}
        # Nothing left to do: the same list, nothing rewritten.
        again = run(folder, "--outputs=all", "--update")
        assert again.returncode == 0 and again.stderr == "", again
        assert listed(folder) == [1, 2, 3]
        assert sorted(n for n in os.listdir(folder) if n.startswith(".") or "tmp" in n) == []


def check_two_runs_at_once():
    """A second run in the same directory is refused at once, whatever its
    options, and the first run's files are whole and all of one format."""
    with tempfile.TemporaryDirectory() as folder:
        make_results(folder, "--pieces", "2", "--cells", "150000", "--species", "0")
        first = start(folder, "--overwrite")
        wait_until_written(first, os.path.join(folder, "view0000000000.vtu"))
        second = run(folder, "--overwrite", "--format=binary", folder)
        assert second.returncode == 1, second
        assert second.stderr == "cellplot: %s: another cellplot run is converting in this " \
                                "directory; wait for it to end\n" % folder, second.stderr
        assert first.poll() is None, "the first run ended before the second was refused"
        out, err = first.communicate(timeout=120)
        assert first.returncode == 0 and out == "" and err == "", (first.returncode, err)
        for n in ("view0000000000.vtu", "view0000010000.vtu", "pview0000.pvtu"):
            with open(os.path.join(folder, n)) as f:
                assert 'format="ascii"' in f.read(4096), n
        assert opens_in_vtk(os.path.join(folder, "pview0000.pvtu"))
        # The lock leaves nothing behind and is free again.
        assert sorted(os.listdir(folder)) == [
            "pview0000.pvtu", "reso0000000000.res", "reso0000010000.res",
            "view0000000000.vtu", "view0000010000.vtu"]
        assert run(folder, "--overwrite", "--format=binary").returncode == 0


def check_inherited_ignored_interrupt():
    """Started with SIGINT ignored (nohup, a script's background job), a run
    is not stopped by it; SIGTERM still stops it."""
    def ignore_sigint():
        signal.signal(signal.SIGINT, signal.SIG_IGN)

    with tempfile.TemporaryDirectory() as folder:
        make_results(folder, "--pieces", "2", "--cells", "150000", "--species", "0")
        proc = start(folder, preexec_fn=ignore_sigint)
        wait_until_written(proc, os.path.join(folder, "view0000000000.vtu"))
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=120)
        assert proc.returncode == 0 and err == "", (proc.returncode, err)
        assert masters_complete(folder) == [0]

        for n in os.listdir(folder):
            if n.endswith("vtu"):
                os.remove(os.path.join(folder, n))
        proc = start(folder, preexec_fn=ignore_sigint)
        wait_until_written(proc, os.path.join(folder, "view0000000000.vtu"))
        proc.send_signal(signal.SIGTERM)
        proc.communicate(timeout=60)
        assert proc.returncode == 143, proc.returncode


check_file_size_limit()
check_failed_first_output()
check_interrupted_second_output_then_update()
check_two_runs_at_once()
check_inherited_ignored_interrupt()
print("ok")
