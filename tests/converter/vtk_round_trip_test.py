"""Round trips of cellplot's output through VTK's own readers (the parallel
XML reader, and vtkHDFReader for VTKHDF), and through meshio for the
hexahedron XML output: every format, precision, compression and cell type,
on 3D, 2D and 1D result files written here (so the values are known bit for
bit), against a plain model of the conversion.  Binary and VTKHDF output
must give back exactly the model's doubles, or their Float32 rounding, NaN
and infinities included; ASCII output the values to five digits.  Run by
CTest as
    python3 vtk_round_trip_test.py CELLPLOT [--vtkhdf]
where --vtkhdf adds the VTKHDF runs (a cellplot built with HDF5).
"""
import itertools
import os
import struct
import subprocess
import sys
import tempfile
import warnings

import meshio
import numpy as np
import vtk
from vtk.util.numpy_support import vtk_to_numpy

warnings.simplefilter("ignore")  # zero densities and Float32 overflow are meant
np.seterr(all="ignore")

NAN, INF = float("nan"), float("inf")
SCALARS = ("Density", "Energy", "Temperature", "Pressure")
FIELDS = ("x", "y", "z", "s", "d", "e", "t", "p", "u0", "u1", "u2")


# ---- result files, written as the solver writes them (binary records) ----

def record(f, fmt, values):
    payload = struct.pack("<" + fmt, *values)
    f.write(struct.pack("<i", len(payload)) + payload + struct.pack("<i", len(payload)))


def write_result(path, p):
    n = len(p["level"])
    with open(path, "wb") as f:
        record(f, "ii", (1, p["npieces"]))
        record(f, "3d", p["extent"])
        record(f, "diiii", (p["rootsize"], p["reflevel"], p["nlevels"], n, len(p["species"])))
        record(f, "4d", (0.0,) * 4)
        record(f, f"{n}i", p["level"])
        for key in FIELDS:
            record(f, f"{n}d", p[key])
        for values in p["species"]:
            record(f, f"{n}d", values)


def make_pieces(seed, counts, nspecies, extent, reflevel, nlevels, wild):
    """Pieces with the given cell counts and full-precision values; wild adds
    a zero density, NaN, both infinities, a value beyond Float32 and a
    subnormal, which VTK's ASCII reader cannot take."""
    rng = np.random.default_rng(seed)
    pieces = []
    for ip, n in enumerate(counts):
        p = {"npieces": len(counts), "extent": extent, "rootsize": 1.0 + 0.5 * ip,
             "reflevel": reflevel, "nlevels": nlevels,
             "level": [int(v) for v in rng.integers(0, nlevels + 1, n)]}
        for key in FIELDS:
            p[key] = [float(v) for v in rng.normal(0, 1, n) * 10.0 ** rng.integers(-8, 3, n)]
        p["d"] = [abs(v) + 0.1 for v in p["d"]]
        p["species"] = [[float(v) for v in rng.random(n) * 10.0 ** rng.integers(-12, 0, n)]
                        for _ in range(nspecies)]
        if wild and n >= 6:
            p["d"][0] = 0.0
            p["u0"][0], p["u1"][0], p["u2"][0] = 1.0, 0.0, -1.0
            p["t"][1], p["t"][2], p["t"][3] = NAN, INF, -INF
            p["p"][4] = 1e300
            p["e"][5] = 5e-320 * p["d"][5] if p["d"][5] < 1 else 5e-320
            p["level"][5] = nlevels
        pieces.append(p)
    return pieces


# ---- the model of the conversion ----

def model(pieces, hexahedron):
    """Expected cell arrays, points, connectivity, offsets and cell types of
    the whole data set, in piece order."""
    size = [pieces[0]["rootsize"]]
    for _ in range(pieces[0]["nlevels"]):
        size.append(size[-1] * 0.5)
    nspecies = len(pieces[0]["species"])
    names = ["Velocity", *SCALARS] + [f"Species{j + 1:02d}" for j in range(nspecies)]
    arrays = {name: [] for name in names}
    points = []
    order = (0, 1, 3, 2, 4, 5, 7, 6) if hexahedron else range(8)
    clear = lambda v, floor: np.where(np.abs(v) < floor, 0.0, v)
    for p in pieces:
        a = {k: np.array(p[k], dtype=np.float64) for k in FIELDS}
        d = a["d"]
        arrays["Velocity"].append(np.stack([clear(a[k] / d, 1e-6) for k in ("u0", "u1", "u2")], 1))
        arrays["Density"].append(d)
        arrays["Energy"].append(a["e"] / d)
        arrays["Temperature"].append(a["t"])
        arrays["Pressure"].append(clear(a["p"], 1e-6))
        for j, values in enumerate(p["species"]):
            arrays[names[5 + j]].append(clear(np.array(values) / d, 1e-10))
        own = [p["rootsize"]] + size[1:]
        z_flat = p["extent"][2] < 1e-10
        y_flat = z_flat and p["extent"][1] < 1e-10
        for i, level in enumerate(p["level"]):
            hx, href = 0.5 * own[level], 0.5 * own[p["reflevel"]]
            h = (hx, href if y_flat else hx, href if z_flat else hx)
            c = (p["x"][i], p["y"][i], p["z"][i])
            for k in order:
                points.append([c[ax] + h[ax] if (k >> ax) & 1 else c[ax] - h[ax]
                               for ax in range(3)])
    arrays = {k: np.concatenate(v) for k, v in arrays.items()}
    n = len(arrays["Density"])
    return {"arrays": arrays, "points": np.array(points, dtype=np.float64).reshape(-1, 3),
            "connectivity": np.arange(8 * n), "offsets": 8 * np.arange(1, n + 1),
            "types": np.full(n, 12 if hexahedron else 11)}


# ---- the readers ----

def read_vtk(master):
    reader = vtk.vtkXMLPUnstructuredGridReader()
    reader.SetFileName(master)
    reader.Update()
    grid = reader.GetOutput()
    data = grid.GetCellData()
    arrays = {data.GetArrayName(i): data.GetArray(i) for i in range(data.GetNumberOfArrays())}
    cells = grid.GetCells()
    points = grid.GetPoints()
    return {"pieces": reader.GetNumberOfPieces(),
            "types_declared": {a.GetDataTypeAsString() for a in arrays.values()},
            "arrays": {k: vtk_to_numpy(a) for k, a in arrays.items()},
            "points": vtk_to_numpy(points.GetData()) if points else np.zeros((0, 3)),
            "connectivity": vtk_to_numpy(cells.GetConnectivityArray()),
            "offsets": vtk_to_numpy(cells.GetOffsetsArray())[1:],
            "types": np.array([grid.GetCellType(i) for i in range(grid.GetNumberOfCells())])}


def read_hdf(path):
    """The file read by VTK's vtkHDFReader, every piece merged into one grid."""
    reader = vtk.vtkHDFReader()
    reader.SetFileName(path)
    reader.Update()
    grid = reader.GetOutput()
    data = grid.GetCellData()
    arrays = {data.GetArrayName(i): data.GetArray(i) for i in range(data.GetNumberOfArrays())}
    points = grid.GetPoints()
    cells = grid.GetCells()
    return {"types_declared": {a.GetDataTypeAsString() for a in arrays.values()},
            "arrays": {k: vtk_to_numpy(a) for k, a in arrays.items()},
            "points": vtk_to_numpy(points.GetData()) if points else np.zeros((0, 3)),
            "connectivity": vtk_to_numpy(cells.GetConnectivityArray()),
            "offsets": vtk_to_numpy(cells.GetOffsetsArray())[1:],
            "types": np.array([grid.GetCellType(i) for i in range(grid.GetNumberOfCells())])}


def read_meshio(files):
    """The pieces read one by one by meshio and joined as VTK joins them."""
    parts = [meshio.read(f) for f in files]
    shift = np.cumsum([0] + [len(m.points) for m in parts])
    conn = [m.cells_dict["hexahedron"] + shift[i] for i, m in enumerate(parts)]
    names = list(parts[0].cell_data)
    return {"arrays": {k: np.concatenate([m.cell_data[k][0] for m in parts]) for k in names},
            "points": np.concatenate([m.points for m in parts]),
            "connectivity": np.concatenate(conn).ravel(),
            "offsets": 8 * np.arange(1, sum(len(c) for c in conn) + 1),
            "types": np.full(sum(len(c) for c in conn), 12)}


# ---- comparison ----

def same(got, want, exact, single):
    """Exact: every value the model's double, or its Float32 rounding, with
    the sign of zero and NaN where the model has NaN.  Otherwise to the five
    digits of the ASCII text."""
    got = np.asarray(got)
    if single:
        want = want.astype(np.float32)
    if got.shape != want.shape:
        return f"shape {got.shape}, expected {want.shape}"
    if exact:
        nan = np.isnan(want)
        if not np.array_equal(np.isnan(got), nan):
            return "NaN in other places"
        bits = np.uint64 if want.dtype == np.float64 else np.uint32
        if got.dtype != want.dtype:
            return f"type {got.dtype}, expected {want.dtype}"
        bad = (got.view(bits) != want.view(bits)) & ~nan
        if bad.any():
            i = np.argwhere(bad)[0]
            return f"value {got[tuple(i)]!r} at {tuple(i)}, expected {want[tuple(i)]!r}"
        return None
    if not np.allclose(got, want, rtol=6e-5, atol=0):
        return "values differ beyond five digits"
    return None


def compare(got, want, exact, single):
    errors = []
    if sorted(got["arrays"]) != sorted(want["arrays"]):
        return [f"arrays {sorted(got['arrays'])}"]
    for name, values in want["arrays"].items():
        g = got["arrays"][name]
        if name == "Velocity" and g.ndim != 2:
            errors.append("Velocity has one component")
        problem = same(g.reshape(values.shape), values, exact, single)
        if problem:
            errors.append(f"{name}: {problem}")
    problem = same(got["points"], want["points"], exact, single)
    if problem:
        errors.append(f"points: {problem}")
    for key in ("connectivity", "offsets", "types"):
        if not np.array_equal(got[key], want[key]):
            errors.append(f"{key} differ")
    return errors


# ---- the runs ----

DATA_SETS = {
    # name: (cells per piece, species, extent, reflevel, deepest level)
    "3d, 18 species, an empty piece": ([40, 0, 25], 18, (1.0, 1.0, 1.0), 0, 18),
    "2d, no species": ([30], 0, (1.0, 2.0, 0.0), 2, 8),
    "1d, 2 species, 2 pieces": ([20, 9], 2, (1.0, 0.0, 0.0), 1, 12),
}


def convert(cellplot, pieces, options, folder):
    for ip, p in enumerate(pieces):
        write_result(os.path.join(folder, f"reso{ip:06d}0000.res"), p)
    subprocess.run([cellplot, "--encoding", "binary", "--output", "0", *options],
                   cwd=folder, check=True)
    return os.path.join(folder, "pview0000.pvtu")


def main():
    cellplot = sys.argv[1]
    failures = []
    runs = failed = 0
    styles = [("ascii", "double", "none")] + list(
        itertools.product(["binary"], ["double", "single"], ["none", "zlib", "lz4"]))
    if "--vtkhdf" in sys.argv[2:]:
        styles += list(itertools.product(["vtkhdf"], ["double", "single"], ["none", "zlib"]))
    for (label, shape), (fmt, precision, compress), cell_type in itertools.product(
            DATA_SETS.items(), styles, ["voxel", "hexahedron"]):
        binary = fmt != "ascii"
        single = precision == "single"
        pieces = make_pieces(len(label), *shape, wild=binary)
        want = model(pieces, cell_type == "hexahedron")
        options = ["--format", fmt, "--cell-type", cell_type]
        if binary:
            options += ["--precision", precision, "--compress", compress]
        what = f"{label}: {' '.join(options)}"
        with tempfile.TemporaryDirectory() as folder:
            if fmt == "vtkhdf":
                # The values against the model, and the points and cells
                # against those of the binary format with the same options.
                binary_options = ["--format", "binary", *options[2:]]
                master = convert(cellplot, pieces, binary_options, folder)
                twin = read_vtk(master)
                convert(cellplot, pieces, options, folder)
                got = read_hdf(os.path.join(folder, "pview0000.hdf"))
                errors = compare(got, {**twin, "arrays": want["arrays"]}, binary, single)
                problem = same(got["points"], twin["points"], True, False)
                if problem:
                    errors.append(f"points differ from the binary format's: {problem}")
                for name in os.listdir(folder):
                    if name.endswith((".vtu", ".pvtu")):
                        os.remove(os.path.join(folder, name))
            else:
                master = convert(cellplot, pieces, options, folder)
                got = read_vtk(master)
                errors = compare(got, want, binary, single)
            if fmt != "vtkhdf" and got["pieces"] != len(pieces):
                errors.append(f"{got['pieces']} pieces")
            if fmt == "vtkhdf" and any(n.startswith("pview0000.hdf.") or n.endswith("vtu")
                                       for n in os.listdir(folder)):
                errors.append(f"files other than the .hdf: {sorted(os.listdir(folder))}")
            if binary and got["types_declared"] != {"float" if single else "double"}:
                errors.append(f"arrays read as {got['types_declared']}")
            # meshio reads neither voxels nor LZ4 blocks.
            if cell_type == "hexahedron" and compress != "lz4" and fmt != "vtkhdf":
                files = [os.path.join(folder, f"view{ip:06d}0000.vtu")
                         for ip, p in enumerate(pieces) if p["level"]]
                errors += ["meshio: " + e
                           for e in compare(read_meshio(files), want, binary, single)]
        runs += 1
        failed += bool(errors)
        failures += [f"{what}: {e}" for e in errors]
        print(f"{'FAILED' if errors else 'ok'}: {what}")
    for f in failures:
        print("FAILED:", f)
    print(f"{runs - failed} of {runs} runs passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
