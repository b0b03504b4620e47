"""Whole runs of the built cellplot, as a user makes them: several outputs
and their collection file opened with VTK, interruption by SIGINT and
SIGTERM during a large piece, and the progress line on a terminal only.
Run by CTest as
    python3 run_test.py CELLPLOT MAKE_RESULTS
"""
import os
import pty
import select
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import vtk

from run_support import wait_until_written

CELLPLOT, MAKE_RESULTS = sys.argv[1], sys.argv[2]

MASTER_TAIL = "  </PUnstructuredGrid>\n</VTKFile>\n"


def make_results(folder, *args):
    subprocess.run([MAKE_RESULTS, *args], cwd=folder, check=True, stdout=subprocess.DEVNULL)


def check_collection_of_three_outputs():
    with tempfile.TemporaryDirectory() as folder:
        for outnum in ("2", "10", "11"):
            make_results(folder, "--pieces", "2", "--level", "3", "--outnum", outnum)
        # A result file of another piece does not make an output.
        os.rename(os.path.join(folder, "reso0000010011.res"),
                  os.path.join(folder, "reso0000010099.res"))
        make_results(folder, "--pieces", "2", "--level", "3", "--outnum", "11")
        run = subprocess.run([CELLPLOT, "--outputs", "all", folder], capture_output=True, text=True)
        assert run.returncode == 0 and run.stderr == "" and run.stdout == "", run
        pvd = os.path.join(folder, "pview.pvd")
        root = ET.parse(pvd).getroot()
        assert root.get("type") == "Collection", root.attrib
        sets = root.find("Collection").findall("DataSet")
        assert [(d.get("timestep"), d.get("file")) for d in sets] == [
            ("2", "pview0002.pvtu"), ("10", "pview0010.pvtu"), ("11", "pview0011.pvtu")], sets
        for d in sets:
            reader = vtk.vtkXMLPUnstructuredGridReader()
            reader.SetFileName(os.path.join(folder, d.get("file")))
            reader.Update()
            assert reader.GetNumberOfPieces() == 2, d.get("file")
            assert reader.GetOutput().GetNumberOfCells() > 0, d.get("file")

        # Again: refused before anything is written, then replaced on request.
        before = {n: os.path.getmtime(os.path.join(folder, n)) for n in os.listdir(folder)}
        again = subprocess.run([CELLPLOT, "--outputs=all", folder], capture_output=True, text=True)
        assert again.returncode == 1, again
        assert again.stderr == "cellplot: %s/pview.pvd: already exists; remove it first or use " \
                               "--overwrite\n" % folder, again.stderr
        assert before == {n: os.path.getmtime(os.path.join(folder, n)) for n in os.listdir(folder)}
        replaced = subprocess.run([CELLPLOT, "--outputs=10-11", "--overwrite", folder],
                                  capture_output=True, text=True)
        assert replaced.returncode == 0, replaced
        assert [d.get("timestep") for d in ET.parse(pvd).getroot().iter("DataSet")] == ["10", "11"]



def complete_0(folder):
    with open(os.path.join(folder, "view0000000000.vtu")) as f:
        return f.read().endswith(" </VTKFile>\n")


def check_interruption():
    with tempfile.TemporaryDirectory() as folder:
        # Two pieces of 300,000 cells, interrupted while the file of the
        # second is being written: with one job piece 0 is then complete;
        # with two, both may be under way and the lowest piece's open file
        # is named.
        make_results(folder, "--pieces", "2", "--cells", "300000", "--species", "0", "--binary")
        with open(os.path.join(folder, "contview.dat"), "w") as f:
            f.write("\n" * 6 + "0\n\n\n0\n")
        inputs = {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)}
        runs = ((signal.SIGINT, 130, "1"), (signal.SIGTERM, 143, "1"), (signal.SIGINT, 130, "2"))
        for sig, status, jobs in runs:
            for n in os.listdir(folder):
                if n.endswith("vtu"):
                    os.remove(os.path.join(folder, n))
            piece = os.path.join(folder, "view0000010000.vtu")
            proc = subprocess.Popen([CELLPLOT, "--jobs", jobs], cwd=folder,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, text=True)
            wait_until_written(proc, piece)
            proc.send_signal(sig)
            out, err = proc.communicate(timeout=60)
            assert proc.returncode == status, (sig, proc.returncode, err)
            assert out == "", out
            named = err.partition(": interrupted")[0].removeprefix("cellplot: ")
            assert err == "cellplot: %s: interrupted; this file is incomplete\n" % named, err
            if jobs == "1":
                assert named == "view0000010000.vtu" and complete_0(folder), err
            complete = []
            for ip in range(2):
                name = os.path.join(folder, "view%06d0000.vtu" % ip)
                # A piece still being read has no file yet.
                complete.append(os.path.exists(name) and
                                open(name).read().endswith(" </VTKFile>\n"))
            assert not complete[int(named[4:10])], err
            prefix = complete.index(False)
            with open(os.path.join(folder, "pview0000.pvtu")) as f:
                master = f.read()
            # Head and the lines of the complete pieces from piece 0 on, only
            # the closing lines missing.
            listed = [l for l in master.splitlines() if l.startswith("    <Piece Source=")]
            assert listed == ['    <Piece Source="view%06d0000.vtu"/>' % ip + " " * 39
                              for ip in range(prefix)], listed
            assert master.startswith("<VTKFile") and not master.endswith(MASTER_TAIL)
            assert inputs == {n: os.path.getsize(os.path.join(folder, n))
                              for n in os.listdir(folder) if not n.endswith(("vtu", "pvtu"))}
            os.remove(os.path.join(folder, "pview0000.pvtu"))


def stderr_of(args, folder, terminal):
    """The standard error of a run, through a pseudo-terminal or a pipe."""
    if not terminal:
        run = subprocess.run(args, cwd=folder, capture_output=True)
        assert run.returncode == 0, run
        return run.stderr
    leader, follower = pty.openpty()
    proc = subprocess.Popen(args, cwd=folder, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=follower)
    os.close(follower)
    got = b""
    while True:
        ready, _, _ = select.select([leader], [], [], 60)
        assert ready, "no end of output"
        try:
            chunk = os.read(leader, 4096)
        except OSError:  # the terminal closed with the program
            break
        if not chunk:
            break
        got += chunk
    os.close(leader)
    assert proc.wait(timeout=60) == 0
    return got


def check_progress():
    with tempfile.TemporaryDirectory() as folder:
        make_results(folder, "--pieces", "3", "--level", "3", "--outnum", "4")
        make_results(folder, "--pieces", "3", "--level", "3", "--outnum", "5")
        args = [CELLPLOT, "--outputs=4,5", "--overwrite"]
        shown = stderr_of(args, folder, terminal=True)
        # Drawn in place from the first output's start, taken off at the end.
        assert shown.startswith(b"\r\x1b[Kcellplot: output 4 (1 of 2): piece 1 of 3, "), shown
        assert b"\r\x1b[Kcellplot: output 5 (2 of 2): piece 1 of 3, " in shown, shown
        assert b" cells/s, " in shown and b" bytes written" in shown, shown
        assert shown.endswith(b"\r\x1b[K") and b"\n" not in shown, shown
        assert stderr_of(args, folder, terminal=False) == b""
        assert stderr_of(args + ["--quiet"], folder, terminal=True) == b""
        assert stderr_of(args + ["--progress"], folder, terminal=False).startswith(b"\r\x1b[K")


check_collection_of_three_outputs()
check_interruption()
check_progress()
print("ok")
