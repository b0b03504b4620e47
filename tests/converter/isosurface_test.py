"""What shared points give a viewer: a sphere in the Density field (the
made-up run of make_results), turned from cell data into point data and
contoured by VTK, gives a surface near the sphere when the corners of
neighbouring cells are one point, and nothing when every cell has points of
its own (each cell's eight point values are then its own value), so the test
cannot pass by accident.  Run by CTest as
    python3 isosurface_test.py CELLPLOT MAKE_RESULTS
"""
import math
import os
import subprocess
import sys
import tempfile

import vtk

CELLPLOT, MAKE_RESULTS = sys.argv[1], sys.argv[2]
RADIUS = 0.3  # make_results: Density 4 inside the sphere, 1 outside
LEVEL = 5


def isosurface(options):
    """The contour of Density at 2.5 over the converted output: its cell
    count and its points' largest distance from the sphere."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([MAKE_RESULTS, "--pieces", "2", "--level", str(LEVEL), "--species", "0"],
                       cwd=folder, check=True)
        subprocess.run([CELLPLOT, *options], cwd=folder, check=True)
        reader = vtk.vtkXMLPUnstructuredGridReader()
        reader.SetFileName(os.path.join(folder, "pview0000.pvtu"))
        to_points = vtk.vtkCellDataToPointData()
        to_points.SetInputConnection(reader.GetOutputPort())
        contour = vtk.vtkContourFilter()
        contour.SetInputConnection(to_points.GetOutputPort())
        contour.SetInputArrayToProcess(0, 0, 0, vtk.vtkDataObject.FIELD_ASSOCIATION_POINTS,
                                       "Density")
        contour.SetValue(0, 2.5)
        contour.Update()
        surface = contour.GetOutput()
        off = 0.0
        for i in range(surface.GetNumberOfPoints()):
            off = max(off, abs(math.dist(surface.GetPoint(i), (0.5, 0.5, 0.5)) - RADIUS))
        return surface.GetNumberOfCells(), off


failures = []
for options, shared in [(["--format=binary"], True),
                        (["--format=binary", "--points=per-cell"], False),
                        (["--points=shared", "--cell-type=hexahedron"], True),
                        ([], False)]:
    polygons, off = isosurface(options)
    # Within two cells of the finest level: point data are averages over
    # the cells around a point.
    ok = (polygons > 100 and off < 2 * 0.5 ** LEVEL) if shared else polygons == 0
    print(f"{'ok' if ok else 'FAILED'}: {' '.join(options) or 'no options'}: {polygons} polygons,"
          f" at most {off:.4f} from the sphere")
    failures += [] if ok else [options]
sys.exit(1 if failures else 0)
