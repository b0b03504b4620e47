"""Round trips of cellplot's output through VTK's own parallel XML reader
(and vtkHDFReader for VTKHDF), and through meshio for the hexahedron XML
output: every format, precision,
compression, cell type and way of numbering the points, with and without the
Level and Piece arrays, on 3D, 2D and 1D result files written here (so the
values are known bit for bit), against a plain model of the conversion.
Random cells test the values; octrees with level jumps of one and of several
levels, whose centres carry rounding errors, test the merge of coincident
corners against a model of it that shares no code with the program.
Binary and VTKHDF output must give back exactly the model's doubles, or
their Float32 rounding, NaN and infinities included; ASCII output the values
to five digits.  Run by CTest as
    python3 vtk_round_trip_test.py CELLPLOT [--vtkhdf]
where --vtkhdf adds the VTKHDF runs (a cellplot built with HDF5).
"""
import itertools
import math
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


def make_octree(seed, counts, nspecies, extent, reflevel, nlevels, dims, jump, depth,
                scramble=False):
    """An octree (quadtree in 2D, binary tree in 1D) over the unit box, refined
    at random below level 1 down to level depth, in depth-first order, cut into
    pieces of the given sizes (the last takes what is left).  Beside a cell
    refined one level more, a sibling may be refined jump levels at once.
    Centres carry rounding errors of a few units in the last place.  With
    scramble, half the parents list their children in a random order, and one
    cell in twenty moves along one axis by 0.3 (joining no multiple) or 1
    (onto its neighbour) finest cell sizes, so that eight cells in a row are
    siblings in any order, or look like siblings and are not."""
    rng = np.random.default_rng(seed)
    cells = []

    def refine(level, low, size):
        deeper = level < 1 or (level < depth and rng.random() < {1: 0.8, 2: 0.55, 3: 0.45}[dims])
        if not deeper:
            cells.append((level, [low[a] + size / 2 if a < dims else 0.0 for a in range(3)]))
            return
        step = 1 if level + jump > depth or rng.random() < 0.7 else jump
        n = 1 << step
        h = size / n
        children = list(itertools.product(range(n), repeat=dims))
        if scramble and rng.random() < 0.5:
            children = [children[j] for j in rng.permutation(len(children))]
        for k in children:
            refine(level + step, [low[a] + k[a] * h for a in range(dims)], h)

    refine(0, [0.0] * dims, 1.0)
    if scramble:
        for level, centre in cells:
            if rng.random() < 0.05:
                centre[rng.integers(dims)] += rng.choice([0.3, 1.0]) / 2 ** nlevels
    noise = lambda v: v * (1 + rng.integers(-4, 5) * 2.0 ** -52)
    pieces, at = [], 0
    for ip, n in enumerate(counts):
        part = cells[at:] if ip == len(counts) - 1 else cells[at:at + n]
        at += len(part)
        n = len(part)
        p = {"npieces": len(counts), "extent": extent, "rootsize": 1.0, "reflevel": reflevel,
             "nlevels": nlevels, "level": [c[0] for c in part]}
        for a, key in enumerate(("x", "y", "z")):
            p[key] = [noise(c[1][a]) for c in part]
        for key in FIELDS[3:]:
            p[key] = [float(v) for v in rng.normal(0, 1, n)]
        p["d"] = [abs(v) + 0.1 for v in p["d"]]
        p["species"] = [[float(v) for v in rng.random(n)] for _ in range(nspecies)]
        pieces.append(p)
    return pieces


def make_degenerate(seed):
    """Corners no octree has: piece 0 with a root size of 0 (every box a
    point, the table all zeros), cells repeated on the same centre, centres
    that are NaN, infinite or 1e300; then a piece of cells so small beside
    the table's finest size that two corners of one cell join one multiple."""
    pieces = make_pieces(seed, [12, 6], 1, (1.0, 1.0, 1.0), 0, 2, wild=False)
    a, b = pieces
    a["rootsize"], a["level"] = 0.0, [0] * 12
    for i, (x, y, z) in enumerate([(0.5, 0.5, 0.5)] * 4 + [(NAN, 0.0, 0.0), (INF, 1.0, 1.0),
                                                          (1e300, -1e300, 0.0)] + [(0.25, 0.0, 0.0)] * 5):
        a["x"][i], a["y"][i], a["z"][i] = x, y, z
    b["rootsize"], b["level"] = 1e-3, [0] * 6  # level 0 takes the piece's own root size
    for i in range(6):
        b["x"][i], b["y"][i], b["z"][i] = 0.5 * (i % 2), 0.25, 1.0
    return pieces


# ---- the model of the conversion ----

def merge(corners, finest):
    """Shared points of one piece from its per-cell corners (8 per cell, in
    the output's corner order): a corner joins the multiple of the finest
    cell size, counted from the piece's lowest corner, that it lies within a
    sixteenth of that size of along every axis; the corners that join one
    multiple are one point, at the first of them.  A corner that joins none,
    or whose point its cell already has, is a point of its own.  Points are
    numbered in order of first use.  A piece whose multiples would not be
    exact (non-finite corners, 2^40 finest cells across) joins equal corners
    only.  Gives the points and the connectivity."""
    corners = np.asarray(corners, dtype=np.float64).reshape(-1, 3)
    inverse = 1.0 / finest if finest > 0 else math.inf
    exact = True
    if len(corners) and math.isfinite(inverse) and np.isfinite(corners).all():
        low, high = corners.min(0), corners.max(0)
        exact = not all((high[a] - low[a]) * inverse < 2.0 ** 40 for a in range(3))
    points, connectivity, point_of = [], [], {}
    for i in range(len(corners) // 8):
        ids = []
        for c in corners[8 * i:8 * i + 8].tolist():
            if exact:
                key, joins = tuple(v + 0.0 for v in c), not any(math.isnan(v) for v in c)
            else:
                t = [(c[a] - low[a]) * inverse + 0.5 for a in range(3)]
                key = tuple(math.floor(v) for v in t)
                joins = all(abs(t[a] - key[a] - 0.5) <= 1 / 16 for a in range(3))
            p = point_of.get(key) if joins else None
            if joins and p is None:
                p = point_of[key] = len(points)
                points.append(c)
            if p is None or p in ids:
                p = len(points)
                points.append(c)
            ids.append(p)
        connectivity += ids
    return points, connectivity


def model(pieces, hexahedron, shared=False, cell_arrays=()):
    """Expected cell arrays, points, connectivity, offsets and cell types of
    the whole data set, in piece order; with shared points also each cell's
    per-cell corners and the tolerance they are to be met within."""
    size = [pieces[0]["rootsize"]]
    for _ in range(pieces[0]["nlevels"]):
        size.append(size[-1] * 0.5)
    nspecies = len(pieces[0]["species"])
    names = ["Velocity", *SCALARS] + [f"Species{j + 1:02d}" for j in range(nspecies)]
    names += [{"level": "Level", "piece": "Piece"}[k] for k in cell_arrays]
    arrays = {name: [] for name in names}
    points, connectivity, corners = [], [], []
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
        if "Level" in arrays:
            arrays["Level"].append(np.array(p["level"], dtype=np.uint8))
        if "Piece" in arrays:
            arrays["Piece"].append(np.full(len(d), pieces.index(p), dtype=np.int32))
        own = [p["rootsize"]] + size[1:]
        z_flat = p["extent"][2] < 1e-10
        y_flat = z_flat and p["extent"][1] < 1e-10
        own_corners = []
        for i, level in enumerate(p["level"]):
            hx, href = 0.5 * own[level], 0.5 * own[p["reflevel"]]
            h = (hx, href if y_flat else hx, href if z_flat else hx)
            c = (p["x"][i], p["y"][i], p["z"][i])
            for k in order:
                own_corners.append([c[ax] + h[ax] if (k >> ax) & 1 else c[ax] - h[ax]
                                    for ax in range(3)])
        if shared:
            piece_points, piece_connectivity = merge(own_corners, size[-1])
        else:
            piece_points, piece_connectivity = own_corners, range(len(own_corners))
        connectivity += [len(points) + v for v in piece_connectivity]
        points += piece_points
        corners += own_corners
    arrays = {k: np.concatenate(v) for k, v in arrays.items()}
    n = len(arrays["Density"])
    return {"arrays": arrays, "points": np.array(points, dtype=np.float64).reshape(-1, 3),
            "connectivity": np.array(connectivity, dtype=np.int64),
            "offsets": 8 * np.arange(1, n + 1), "types": np.full(n, 12 if hexahedron else 11),
            "corners": np.array(corners, dtype=np.float64).reshape(-1, 3),
            "tolerance": size[-1] / 8 if shared else 0.0}  # two sixteenths


# ---- the readers ----

def read_grid(reader):
    """What reader (set up with its file) gives: arrays, points and cells."""
    reader.Update()
    grid = reader.GetOutput()
    data = grid.GetCellData()
    arrays = {data.GetArrayName(i): data.GetArray(i) for i in range(data.GetNumberOfArrays())}
    cells = grid.GetCells()
    points = grid.GetPoints()
    return {"types_declared": {a.GetDataTypeAsString() for k, a in arrays.items()
                               if k not in ("Level", "Piece")},
            "arrays": {k: vtk_to_numpy(a) for k, a in arrays.items()},
            "points": vtk_to_numpy(points.GetData()) if points else np.zeros((0, 3)),
            "connectivity": vtk_to_numpy(cells.GetConnectivityArray()),
            "offsets": vtk_to_numpy(cells.GetOffsetsArray())[1:],
            "types": np.array([grid.GetCellType(i) for i in range(grid.GetNumberOfCells())])}


def read_vtk(master):
    reader = vtk.vtkXMLPUnstructuredGridReader()
    reader.SetFileName(master)
    got = read_grid(reader)
    got["pieces"] = reader.GetNumberOfPieces()
    return got


def read_hdf(path):
    """The file read by VTK's vtkHDFReader, every piece merged into one grid."""
    reader = vtk.vtkHDFReader()
    reader.SetFileName(path)
    return read_grid(reader)


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
        if values.dtype.kind in "iu":  # Level and Piece: exact in every format
            if g.dtype != values.dtype or not np.array_equal(g, values):
                errors.append(f"{name}: {g.dtype} {g[:8]}..., expected {values[:8]}...")
            continue
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
    # Whatever the numbering, every cell's corners through the connectivity
    # are its own corners, to within the tolerance (and five digits in ASCII).
    if len(got["connectivity"]) == len(want["corners"]) and len(got["points"]):
        through = np.asarray(got["points"], dtype=np.float64)[got["connectivity"]]
        corners = want["corners"].astype(np.float32 if single else np.float64).astype(np.float64)
        slack = want["tolerance"] + (0 if exact else 6e-5 * np.abs(corners))
        off = np.abs(through - corners) > slack + (1e-7 * np.abs(corners) if single else 0)
        if (off & np.isfinite(corners)).any():
            errors.append("a cell's corner through the connectivity is not its own corner")
    return errors


# ---- the runs ----

RANDOM_SETS = {
    # name: (cells per piece, species, extent, reflevel, deepest level)
    "3d, 18 species, an empty piece": ([40, 0, 25], 18, (1.0, 1.0, 1.0), 0, 18),
    "2d, no species": ([30], 0, (1.0, 2.0, 0.0), 2, 8),
    "1d, 2 species, 2 pieces": ([20, 9], 2, (1.0, 0.0, 0.0), 1, 12),
}
OCTREE_SETS = {
    # name: (cells per piece, species, extent, reflevel, deepest level
    #        tabulated, dimensions, levels of a jump, deepest level refined[,
    #        scramble])
    "3d octree, jumps of one level, 3 pieces": ([150, 200, 0], 1, (1.0, 1.0, 1.0), 0, 4, 3, 1, 4),
    "3d octree, children in any order, some cells moved, 2 pieces": ([300, 10**6], 1,
                                                                      (1.0, 1.0, 1.0), 0, 4, 3,
                                                                      1, 4, True),
    "3d octree, jumps of three levels, an empty piece": ([0, 10**6], 0, (1.0, 1.0, 1.0), 0, 5, 3,
                                                        3, 5),
    "2d quadtree, jumps of two levels": ([10**6], 2, (1.0, 1.0, 0.0), 3, 7, 2, 2, 7),
    "1d tree, 2 pieces": ([40, 10**6], 0, (1.0, 0.0, 0.0), 2, 9, 1, 1, 9),
    # 2^25 finest cells across: multiples too large for the recent points.
    "3d octree, 25 levels tabulated": ([10**6], 0, (1.0, 1.0, 1.0), 0, 25, 3, 2, 4),
    # 2^63 finest cells across: the corners are merged only where equal.
    "3d octree, 63 levels tabulated": ([10**6], 0, (1.0, 1.0, 1.0), 0, 63, 3, 1, 3),
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
    models = {}
    data_sets = [(label, "random", shape) for label, shape in RANDOM_SETS.items()] + [
        (label, "octree", shape) for label, shape in OCTREE_SETS.items()] + [
        ("degenerate boxes and centres, 2 pieces", "degenerate", None)]
    for (label, kind, shape), (fmt, precision, compress), cell_type, points in \
            itertools.product(data_sets, styles, ["voxel", "hexahedron"], ["per-cell", "shared"]):
        binary = fmt != "ascii"
        single = precision == "single"
        if kind == "octree":
            # An octree's deeper levels cannot be told apart in five digits.
            if not binary and shape[4] > 7:
                continue
            pieces = make_octree(len(label), *shape)
        elif kind == "degenerate":
            if not binary:  # VTK's ASCII reader stops on Infinity
                continue
            pieces = make_degenerate(len(label))
        else:
            pieces = make_pieces(len(label), *shape, wild=binary)
        shared = points == "shared"
        # Level and Piece with shared points; Piece alone with voxels' own points.
        arrays = ("level", "piece") if shared else ("piece",) if cell_type == "voxel" else ()
        key = (label, binary, cell_type, shared, arrays)
        if key not in models:
            models[key] = model(pieces, cell_type == "hexahedron", shared, arrays)
        want = models[key]
        options = ["--format", fmt, "--cell-type", cell_type, "--points", points]
        if arrays:
            options.append("--cell-arrays=" + ",".join(arrays))
        if binary:
            options += ["--precision", precision, "--compress", compress]
        what = f"{label}: {' '.join(options)}"
        with tempfile.TemporaryDirectory() as folder:
            master = convert(cellplot, pieces, options, folder)
            if fmt == "vtkhdf":
                got = read_hdf(os.path.join(folder, "pview0000.hdf"))
                written = sorted(n for n in os.listdir(folder) if not n.endswith(".res"))
                got["pieces"] = len(pieces) if written == ["pview0000.hdf"] else str(written)
            else:
                got = read_vtk(master)
            errors = compare(got, want, binary, single)
            if got["pieces"] != len(pieces):
                errors.append(f"{got['pieces']} pieces")
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
        print(f"{'FAILED' if errors else 'ok'}: {what}" + (f" ({errors[0]})" if errors else ""),
              flush=True)
    for f in failures:
        print("FAILED:", f)
    print(f"{runs - failed} of {runs} runs passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
