"""ParaView opens what cellplot --format=vtkhdf writes: one .hdf, and the
pview.hdf.series of a run of several outputs as a time series, through
pvpython.  Skipped (exit status 77) where pvpython cannot run: Debian's
paraview package cannot be installed beside python3-vtk9, whose VTK the
other tests use.  Run by CTest as
    python3 paraview_open_test.py CELLPLOT MAKE_RESULTS
"""
import shutil
import subprocess
import sys
import tempfile

CELLPLOT, MAKE_RESULTS = sys.argv[1], sys.argv[2]

OPEN = """
import sys
from paraview import simple
one = simple.OpenDataFile("pview0002.hdf")
one.UpdatePipeline()
assert one.GetDataInformation().GetNumberOfCells() > 0
series = simple.OpenDataFile("pview.hdf.series")
series.UpdatePipeline()
assert list(series.TimestepValues) == [2.0, 5.0], series.TimestepValues
print("opened")
"""

pvpython = shutil.which("pvpython")
if not pvpython:
    print("skipped: ParaView's pvpython is not installed here (Debian's paraview package "
          "conflicts with python3-vtk9)")
    sys.exit(77)
with tempfile.TemporaryDirectory() as folder:
    for outnum in ("2", "5"):
        subprocess.run([MAKE_RESULTS, "--pieces", "2", "--level", "3", "--outnum", outnum],
                       cwd=folder, check=True, stdout=subprocess.DEVNULL)
    subprocess.run([CELLPLOT, "--format=vtkhdf", "--outputs=2,5"], cwd=folder, check=True)
    run = subprocess.run([pvpython, "-c", OPEN], cwd=folder, capture_output=True, text=True)
    assert run.returncode == 0 and "opened" in run.stdout, run
print("ok")
