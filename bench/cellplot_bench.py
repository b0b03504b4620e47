"""Whole-run figures for cellplot on one piece of 1,000,000 cells and 18
species, side by side in the same run with the machine's limit (dd writing
the same bytes into the page cache) and with a plain Fortran formatted-WRITE
writer of the same piece file; then the output formats side by side: write
time against dd writing as many bytes, size, and the seconds VTK's XML
reader (Debian's python3-vtk9) takes to load each; then shared points against
per-cell points on an octree piece (the sample solver's, at level 8 on one
process with 18 species): run time, size, points per cell, peak memory and
VTK's load time of each.

    python3 bench/cellplot_bench.py BUILD_DIR [--cells N] [--no-legacy] [--no-formats]
                                    [--no-points] [--only-points] [--vtkhdf | --vtkhdf-only]

--vtkhdf adds VTKHDF against the XML binary format with the same options,
on that piece and on an output of 8 pieces of an eighth of its cells each:
write time (wall and CPU), size, and the load time of VTK's vtkHDFReader
against vtkXMLPUnstructuredGridReader on the .pvtu.

BUILD_DIR is a build configured with -DCELLKEYS_BENCH=ON.  The work folder
is on /dev/shm when it exists, so that disk write-back does not blur the
figures.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def timed(args, cwd, cpu=False):
    """Runs args; returns (seconds, peak RSS in MiB), or with cpu
    (seconds, peak RSS, user + system CPU seconds)."""
    t0 = time.perf_counter()
    child = subprocess.Popen(args, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - t0
    if status != 0:
        sys.exit(f"{args[0]} failed with status {status}")
    if cpu:
        return seconds, usage.ru_maxrss / 1024.0, usage.ru_utime + usage.ru_stime
    return seconds, usage.ru_maxrss / 1024.0


def best_of(runs, args, cwd, clean):
    best = (1e30, 0.0)
    for _ in range(runs):
        clean()
        best = min(best, timed(args, cwd))
    return best


LOAD = """
import sys, time, vtk
reader = vtk.vtkHDFReader() if sys.argv[1].endswith(".hdf") else vtk.vtkXMLPUnstructuredGridReader()
reader.SetFileName(sys.argv[1])
t0 = time.perf_counter()
reader.Update()
seconds = time.perf_counter() - t0
assert reader.GetOutput().GetNumberOfCells() > 0
print(seconds)
"""


def vtkhdf(cellplot, make_results, work, cells, runs):
    """VTKHDF beside the XML binary format with the same options, on one
    piece of cells cells and on 8 pieces of cells / 8 each: best wall and CPU
    time of runs, bytes, and the best load time of VTK's readers."""
    print(f"\nVTKHDF against XML binary, same options (best of {runs}; CPU = user + system):")
    print(f"  {'output':<22} {'options':<16} {'format':<7} {'run s':>6} {'CPU s':>6}"
          f" {'MB':>5} {'load s':>7} {'x binary run':>12} {'x CPU':>6} {'x size':>6} {'x load':>6}")
    for npieces in (1, 8):
        folder = os.path.join(work, f"vtkhdf-{npieces}")
        os.mkdir(folder)
        subprocess.run([make_results, "--pieces", str(npieces), "--cells",
                        str(cells // npieces), "--species", "18", "--binary"],
                       cwd=folder, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "contview.dat"), "w") as f:
            f.write("\n" * 6 + "0\n\n\n0\n")

        def clean():
            for name in os.listdir(folder):
                if name.endswith((".vtu", ".pvtu", ".hdf")):
                    os.remove(os.path.join(folder, name))
        what = f"{npieces} x {cells // npieces} cells"
        for label, options in (("double", []), ("single", ["--precision=single"]),
                               ("zlib", ["--compress=zlib"])):
            row = {}
            for fmt, output in (("binary", "pview0000.pvtu"), ("vtkhdf", "pview0000.hdf")):
                best = (1e30, 0.0, 1e30)
                for _ in range(runs):
                    clean()
                    t = timed([cellplot, f"--format={fmt}", *options], folder, cpu=True)
                    best = (min(best[0], t[0]), 0.0, min(best[2], t[2]))
                size = sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                           if n.endswith((".vtu", ".pvtu", ".hdf")))
                loads = []
                for _ in range(runs):
                    load = subprocess.run(["/usr/bin/python3", "-c", LOAD,
                                           os.path.join(folder, output)],
                                          capture_output=True, text=True)
                    loads.append(float(load.stdout) if load.returncode == 0 else float("nan"))
                row[fmt] = (best[0], best[2], size, min(loads))
            for fmt in ("binary", "vtkhdf"):
                run_s, cpu_s, size, load_s = row[fmt]
                b = row["binary"]
                print(f"  {what:<22} {label:<16} {fmt:<7} {run_s:6.3f} {cpu_s:6.3f}"
                      f" {size / 1e6:5.0f} {load_s:7.3f} {run_s / b[0]:12.2f} {cpu_s / b[1]:6.2f}"
                      f" {size / b[2]:6.3f} {load_s / b[3]:6.2f}")
        shutil.rmtree(folder)


def formats(cellplot, folder, runs, clean):
    """The output formats on the same piece: run time (best of runs), bytes
    written, dd writing as many bytes into the same folder (from /dev/zero,
    and copying a file of that size as the lines above do), and the load
    time of VTK's reader."""
    # Every cell with its own points, as these figures have always been.
    binary = ["--format", "binary", "--points", "per-cell"]
    styles = [("ascii", []), ("binary", binary),
              ("binary single", binary + ["--precision", "single"]),
              ("binary lz4", binary + ["--compress", "lz4"]),
              ("binary zlib", binary + ["--compress", "zlib"])]
    reference = os.path.join(os.path.dirname(folder), "reference-format.vtu")
    copy = os.path.join(folder, "copy")
    rows = []
    for label, options in styles:
        seconds, _ = best_of(runs, [cellplot] + options, folder, clean)
        size = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder)
                   if f.endswith((".vtu", ".pvtu")))
        load = subprocess.run(["/usr/bin/python3", "-c", LOAD,
                               os.path.join(folder, "pview0000.pvtu")],
                              capture_output=True, text=True)
        load_s = float(load.stdout) if load.returncode == 0 else float("nan")
        shutil.copy(os.path.join(folder, "view0000000000.vtu"), reference)
        zero_s, _ = best_of(runs, ["dd", "if=/dev/zero", f"of={copy}", "bs=4M", f"count={size}",
                                   "iflag=count_bytes", "status=none"], folder, clean)
        copy_s, _ = best_of(runs, ["dd", f"if={reference}", f"of={copy}", "bs=4M", "status=none"],
                            folder, clean)
        os.remove(reference)
        rows.append((label, seconds, size, zero_s, copy_s, load_s))
    _, ascii_s, _, _, _, ascii_load = rows[0]
    full = rows[1][2]
    print("\noutput formats, same piece (rate = bytes written per second of the whole run;"
          " x dd = cellplot's rate over dd's for as many bytes):")
    print(f"  {'format':<14} {'run s':>6} {'MB':>5} {'MB/s':>6} {'x dd zero':>9} {'x dd copy':>9}"
          f" {'x ASCII time':>12} {'size ratio':>10} {'VTK load s':>10} {'x ASCII load':>12}")
    for label, seconds, size, zero_s, copy_s, load_s in rows:
        print(f"  {label:<14} {seconds:6.3f} {size / 1e6:5.0f} {size / 1e6 / seconds:6.0f}"
              f" {zero_s / seconds:9.2f} {copy_s / seconds:9.2f} {seconds / ascii_s:12.2f}"
              f" {size / full:10.3f} {load_s:10.2f} {load_s / ascii_load:12.3f}")
    for label, seconds, _, _, _, _ in rows[3:]:
        print(f"  {label}: {full / 1e6 / seconds:.0f} MB/s of uncompressed binary data")


def vtk_load(master):
    load = subprocess.run(["/usr/bin/python3", "-c", LOAD, master],
                          capture_output=True, text=True)
    return float(load.stdout) if load.returncode == 0 else float("nan")


def octree_piece(build, folder):
    """Writes the octree piece into folder: the sample solver at level 8 on
    one process, or make_results' sphere at level 8 where there is no MPI."""
    solver = os.path.join(build, "examples", "solver", "sample_solver")
    if os.path.exists(solver) and shutil.which("mpiexec"):
        env = dict(os.environ, OMPI_ALLOW_RUN_AS_ROOT="1", OMPI_ALLOW_RUN_AS_ROOT_CONFIRM="1")
        subprocess.run(["mpiexec", "--oversubscribe", "-n", "1", solver, "--max-level", "8",
                        "--species", "18", "--encoding", "binary"], cwd=folder, check=True,
                       env=env, stdout=subprocess.DEVNULL)
        return "sample solver, --max-level 8, one process"
    subprocess.run([os.path.join(build, "tests", "converter", "make_results"), "--pieces", "1",
                    "--level", "8", "--species", "18", "--binary"], cwd=folder, check=True)
    with open(os.path.join(folder, "contview.dat"), "w") as f:
        f.write("\n" * 6 + "0\n\n\n0\n")
    return "make_results, --level 8"


def points(build, folder, runs, clean):
    """Shared against per-cell points on the same octree piece, binary and
    ASCII: time (best of runs), bytes, points per cell, peak RSS, VTK's load."""
    cellplot = os.path.join(build, "converter", "cellplot")
    source = octree_piece(build, folder)
    piece = os.path.join(folder, "view0000000000.vtu")
    rows = []
    for label, options in [("binary, per-cell", ["--format", "binary", "--points", "per-cell"]),
                           ("binary, shared", ["--format", "binary", "--points", "shared"]),
                           ("ascii, per-cell", ["--points", "per-cell"]),
                           ("ascii, shared", ["--points", "shared"])]:
        seconds, rss = best_of(runs, [cellplot] + options, folder, clean)
        with open(piece, "rb") as f:
            head = f.read(4096).decode("latin-1")
        counts = [int(head.split(word)[1].split('"')[1].strip())
                  for word in ("NumberOfPoints=", "NumberOfCells=")]
        size = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder)
                   if f.endswith((".vtu", ".pvtu")))
        rows.append((label, seconds, size, counts[0] / counts[1], rss,
                     vtk_load(os.path.join(folder, "pview0000.pvtu")), counts[1]))
    print(f"\npoints, one octree piece of {rows[0][6]} cells, 18 species ({source}):")
    print(f"  {'output':<17} {'run s':>6} {'MB':>5} {'points/cell':>11} {'peak RSS MiB':>12}"
          f" {'VTK load s':>10} {'x per-cell time':>15} {'x size':>6} {'x load':>6}")
    for k, (label, seconds, size, per_cell, rss, load, _) in enumerate(rows):
        base = rows[k - k % 2]
        print(f"  {label:<17} {seconds:6.3f} {size / 1e6:5.0f} {per_cell:11.3f} {rss:12.0f}"
              f" {load:10.2f} {seconds / base[1]:15.2f} {size / base[2]:6.3f}"
              f" {load / base[5]:6.3f}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--cells", type=int, default=1000000)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--no-legacy", action="store_true")
    ap.add_argument("--no-formats", action="store_true")
    ap.add_argument("--vtkhdf", action="store_true")
    ap.add_argument("--vtkhdf-only", action="store_true")
    ap.add_argument("--no-points", action="store_true")
    ap.add_argument("--only-points", action="store_true")
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    cellplot = os.path.join(build, "converter", "cellplot")
    make_results = os.path.join(build, "tests", "converter", "make_results")
    legacy = os.path.join(build, "tests", "converter", "legacy_piece_writer")
    reader = os.path.join(build, "bench", "cellplot_read_bench")
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="cellplot-bench-", dir=base)
    try:
        def clean(folder):
            def go():
                for name in os.listdir(folder):
                    if name.endswith((".vtu", ".pvtu")) or name == "copy":
                        os.remove(os.path.join(folder, name))
            return go

        if a.only_points:
            octree_dir = os.path.join(work, "octree")
            os.mkdir(octree_dir)
            points(build, octree_dir, a.runs, clean(octree_dir))
            return
        if a.vtkhdf_only:
            vtkhdf(cellplot, make_results, work, a.cells, a.runs)
            return
        binary_dir = os.path.join(work, "binary")
        text_dir = os.path.join(work, "text")
        os.mkdir(binary_dir)
        os.mkdir(text_dir)
        gen = [make_results, "--pieces", "1", "--cells", str(a.cells), "--species", "18"]
        subprocess.run(gen + ["--binary"], cwd=binary_dir, check=True)
        subprocess.run(gen, cwd=text_dir, check=True)
        with open(os.path.join(binary_dir, "contview.dat"), "w") as f:
            f.write("\n" * 6 + "0\n\n\n0\n")
        result = "reso0000000000.res"
        piece = os.path.join(binary_dir, "view0000000000.vtu")

        # The converter once, for the output size, then the figures.
        subprocess.run([cellplot], cwd=binary_dir, check=True)
        out_bytes = os.path.getsize(piece) + os.path.getsize(os.path.join(binary_dir, "pview0000.pvtu"))
        shutil.copy(piece, os.path.join(work, "reference.vtu"))
        run_s, rss = best_of(a.runs, [cellplot], binary_dir, clean(binary_dir))
        dd_s, _ = best_of(a.runs, ["dd", f"if={os.path.join(work, 'reference.vtu')}",
                                   f"of={os.path.join(binary_dir, 'copy')}", "bs=4M", "status=none"],
                          binary_dir, clean(binary_dir))
        text_s, text_rss = best_of(a.runs, [cellplot], text_dir, clean(text_dir))
        mb = out_bytes / 1e6
        print(f"piece: {a.cells} cells, 18 species; output {mb:.0f} MB")
        print(f"  dd, same bytes into the page cache : {dd_s:6.3f} s  {mb / dd_s:7.0f} MB/s")
        print(f"  cellplot, binary input              : {run_s:6.3f} s  {mb / run_s:7.0f} MB/s"
              f"  ({run_s / dd_s:.2f} x dd)  peak RSS {rss:.0f} MiB")
        print(f"  cellplot, text input                : {text_s:6.3f} s  {mb / text_s:7.0f} MB/s"
              f"  peak RSS {text_rss:.0f} MiB")
        arrays = a.cells * (4 + 8 * 8 + 24 + 8 * 18 + 8 * 24 + 32) / 2**20
        print(f"  data model arrays the piece touches (cells, points, icnect): {arrays:.0f} MiB;"
              f" budget {arrays + 64:.0f} MiB")
        if os.path.exists(reader):
            for kind, folder in (("text", text_dir), ("binary", binary_dir)):
                subprocess.run([reader, os.path.join(folder, result), kind], check=True)
        if not a.no_legacy and os.path.exists(legacy):
            clean(binary_dir)()
            legacy_s, _ = timed([legacy, result, "legacy.vtu"], binary_dir)
            same = open(os.path.join(binary_dir, "legacy.vtu"), "rb").read() == \
                open(os.path.join(work, "reference.vtu"), "rb").read()
            os.remove(os.path.join(binary_dir, "legacy.vtu"))
            print(f"  Fortran formatted WRITE of the piece: {legacy_s:6.3f} s  {mb / legacy_s:7.0f} MB/s"
                  f"  (cellplot {legacy_s / run_s:.1f} x faster; same bytes: {same})")
        if not a.no_formats:
            formats(cellplot, binary_dir, a.runs, clean(binary_dir))
        if a.vtkhdf:
            vtkhdf(cellplot, make_results, work, a.cells, a.runs)
        if not a.no_points:
            octree_dir = os.path.join(work, "octree")
            os.mkdir(octree_dir)
            points(build, octree_dir, a.runs, clean(octree_dir))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
