"""Opens cellplot's output with VTK's own XML reader: the proof that the
files open in a VTK viewer.  Run by CTest as
    python3 vtk_open_test.py CELLPLOT MAKE_RESULTS
"""
import os
import subprocess
import sys
import tempfile

import vtk


def convert(cellplot, make_results, binary, folder):
    args = [make_results, "--pieces", "3", "--level", "4", "--species", "3"]
    if binary:
        args += ["--binary", "--outnum", "12"]
        with open(os.path.join(folder, "contview.dat"), "w") as f:
            f.write("\n" * 6 + "0\n\n\n12\n")
    subprocess.run(args, cwd=folder, check=True)
    subprocess.run([cellplot], cwd=folder, check=True)
    return os.path.join(folder, "pview0012.pvtu" if binary else "pview0000.pvtu")


def values(array):
    return {round(array.GetValue(i), 6) for i in range(array.GetNumberOfTuples())}


def check(master):
    reader = vtk.vtkXMLPUnstructuredGridReader()
    reader.SetFileName(master)
    reader.Update()
    grid = reader.GetOutput()
    ncells = grid.GetNumberOfCells()
    assert ncells > 0, "no cells read"
    assert reader.GetNumberOfPieces() == 3, reader.GetNumberOfPieces()
    assert grid.GetNumberOfPoints() == 8 * ncells, (grid.GetNumberOfPoints(), ncells)
    types = {grid.GetCellType(i) for i in range(ncells)}
    assert types == {vtk.VTK_VOXEL}, types
    data = grid.GetCellData()
    expected = {"Velocity": 3, "Density": 1, "Energy": 1, "Temperature": 1, "Pressure": 1,
                "Species01": 1, "Species02": 1, "Species03": 1}
    found = {data.GetArrayName(i): data.GetArray(i).GetNumberOfComponents()
             for i in range(data.GetNumberOfArrays())}
    assert found == expected, found
    density = values(data.GetArray("Density"))
    assert density == {1.0, 4.0}, density
    # Energy per mass: 2.5 outside the sphere, 3.5 inside.
    energy = values(data.GetArray("Energy"))
    assert energy == {2.5, 3.5}, energy
    # The cells fill the unit cube: their volumes add up to 1.
    volume = 0.0
    for i in range(ncells):
        b = grid.GetCell(i).GetBounds()
        volume += (b[1] - b[0]) * (b[3] - b[2]) * (b[5] - b[4])
    assert abs(volume - 1.0) < 1e-6, volume
    return ncells


def main():
    cellplot, make_results = sys.argv[1], sys.argv[2]
    passed = failed = 0
    for binary in (False, True):
        with tempfile.TemporaryDirectory() as folder:
            try:
                n = check(convert(cellplot, make_results, binary, folder))
                print(f"ok: {'binary' if binary else 'text'} input, {n} voxels read back")
                passed += 1
            except AssertionError as e:
                print(f"FAILED: {'binary' if binary else 'text'} input: {e}")
                failed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
