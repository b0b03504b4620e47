"""The whole job on a small mesh: the sample solver under mpiexec with two
processes, cellplot on its files, and VTK's XML readers on the output.
Run by CTest as
    python3 end_to_end_test.py ENCODING SAMPLE_SOLVER CELLPLOT
with the command that starts a job on two processes in CELLKEYS_MPIEXEC
(mpiexec and its arguments, separated by spaces).
"""
import math
import os
import re
import shlex
import subprocess
import sys
import tempfile

import vtk

PROCESSES = 2
SPECIES = 2
MAX_LEVEL = 4


def run_job(encoding, mpiexec, solver, cellplot, folder):
    outnum = 7 if encoding == "binary" else 0
    job = subprocess.run(
        mpiexec + [solver, "--max-level", str(MAX_LEVEL), "--encoding", encoding,
                   "--output", str(outnum), "--species", str(SPECIES)],
        cwd=folder, check=True, capture_output=True, text=True)
    found = re.search(r"wrote (\d+) cells", job.stdout)
    assert found, f"no cell count in the solver's output: {job.stdout!r}"
    for piece in range(PROCESSES):
        name = f"reso{piece:06d}{outnum:04d}.res"
        assert os.path.exists(os.path.join(folder, name)), f"{name} missing"
    assert os.path.exists(os.path.join(folder, "contview.dat")), "contview.dat missing"
    subprocess.run([cellplot], cwd=folder, check=True)
    return int(found.group(1)), outnum


def read(reader_class, path):
    reader = reader_class()
    reader.SetFileName(path)
    reader.Update()
    return reader, reader.GetOutput()


def cell_box(grid, c):
    """(level, i, j, k) of a voxel of the unit cube, from its bounds."""
    b = grid.GetCell(c).GetBounds()
    edges = (b[1] - b[0], b[3] - b[2], b[5] - b[4])
    assert max(edges) - min(edges) < 1e-12, f"cell {c} is not a cube: {edges}"
    level = round(-math.log2(edges[0]))
    assert abs(edges[0] - 2.0 ** -level) < 1e-12, f"cell {c} has edge {edges[0]}"
    n = 2 ** level
    ijk = tuple(round(b[2 * a] * n) for a in range(3))
    return (level,) + ijk


def path_position(cell):
    """Sort key of a cell in path order: octant digits from level 1, the
    digits past the cell's level taken as 0, then the coarser cell first."""
    level, i, j, k = cell
    digits = []
    for d in range(1, 19):
        shift = level - d
        if shift < 0:
            digits.append(0)
        else:
            digits.append(((i >> shift) & 1) | ((j >> shift) & 1) << 1 | ((k >> shift) & 1) << 2)
    return tuple(digits) + (level,)


def check(folder, total, outnum):
    reader, grid = read(vtk.vtkXMLPUnstructuredGridReader,
                        os.path.join(folder, f"pview{outnum:04d}.pvtu"))
    ncells = grid.GetNumberOfCells()
    assert ncells == total, f"{ncells} cells read, the solver wrote {total}"
    assert 1000 <= total <= 20000, f"{total} cells: the test mesh should be a few thousand"
    assert reader.GetNumberOfPieces() == PROCESSES, reader.GetNumberOfPieces()
    types = {grid.GetCellType(c) for c in range(ncells)}
    assert types == {vtk.VTK_VOXEL}, types
    data = grid.GetCellData()
    expected = {"Velocity": 3, "Density": 1, "Energy": 1, "Temperature": 1, "Pressure": 1}
    expected.update({f"Species{j:02d}": 1 for j in range(1, SPECIES + 1)})
    found = {data.GetArrayName(a): data.GetArray(a).GetNumberOfComponents()
             for a in range(data.GetNumberOfArrays())}
    assert found == expected, found
    for name in expected:
        assert data.GetArray(name).GetNumberOfTuples() == ncells, name
    low, high = data.GetArray("Density").GetRange()
    assert 0 < low < 1 < high < 5, (low, high)

    volume = 0.0
    for c in range(ncells):
        b = grid.GetCell(c).GetBounds()
        volume += (b[1] - b[0]) * (b[3] - b[2]) * (b[5] - b[4])
    assert abs(volume - 1.0) < 1e-9, f"cell volumes add up to {volume}"

    # The pieces, each on its own: even shares, consecutive in path order,
    # and no cell anywhere inside another (with the volume, an exact tiling).
    cells = set()
    last = None
    counts = []
    for piece in range(PROCESSES):
        _, part = read(vtk.vtkXMLUnstructuredGridReader,
                       os.path.join(folder, f"view{piece:06d}{outnum:04d}.vtu"))
        boxes = [cell_box(part, c) for c in range(part.GetNumberOfCells())]
        counts.append(len(boxes))
        positions = [path_position(b) for b in boxes]
        assert positions == sorted(positions), f"piece {piece} is not in path order"
        if last is not None and positions:
            assert last < positions[0], f"piece {piece} does not follow piece {piece - 1}"
        if positions:
            last = positions[-1]
        for b in boxes:
            assert b not in cells, f"cell {b} is in two pieces"
            cells.add(b)
    assert sum(counts) == total, counts
    assert max(counts) - min(counts) <= 1, f"uneven split {counts}"
    for level, i, j, k in cells:
        for up in range(1, level + 1):
            parent = (level - up, i >> up, j >> up, k >> up)
            assert parent not in cells, f"cell {(level, i, j, k)} lies inside {parent}"
    return counts


def main():
    encoding, solver, cellplot = sys.argv[1:4]
    mpiexec = shlex.split(os.environ["CELLKEYS_MPIEXEC"])
    with tempfile.TemporaryDirectory() as folder:
        total, outnum = run_job(encoding, mpiexec, solver, cellplot, folder)
        counts = check(folder, total, outnum)
    print(f"ok: {encoding} result files, {total} voxels in pieces of {counts}")


if __name__ == "__main__":
    main()
