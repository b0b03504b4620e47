"""cellplot-mpi on 3 processes when one of them dies: while the job runs,
cellplot refuses the directory (process 0 holds its lock); a kill -9 of
process 1 ends the job, and one line names process 1 and the pieces it had
not finished; a rerun with --update then completes the output.
Run by CTest (under cellkeys_add_mpi_test's environment, whose
CELLKEYS_MPIEXEC is the command that starts a job of 3 processes) as
    python3 mpi_stopped_test.py CELLPLOT_MPI CELLPLOT MAKE_RESULTS
"""
import os
import re
import signal
import subprocess
import sys
import tempfile

from run_support import wait_until_written

CELLPLOT_MPI, CELLPLOT, MAKE_RESULTS = sys.argv[1:4]
MPIEXEC = os.environ["CELLKEYS_MPIEXEC"].split()


def mpi(folder, *args):
    return [*MPIEXEC, CELLPLOT_MPI, *args, folder]


def pid_of_rank(rank):
    """The process of cellplot-mpi that is rank rank of its job."""
    exe = os.path.realpath(CELLPLOT_MPI)
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.readlink("/proc/%s/exe" % pid) != exe:
                continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if b"OMPI_COMM_WORLD_RANK=%d" % rank in env:
            return int(pid)
    return None



with tempfile.TemporaryDirectory() as folder:
    # Six equal pieces: process 1's share is pieces 2 and 3.
    subprocess.run([MAKE_RESULTS, "--pieces", "6", "--cells", "150000", "--species", "0"],
                   cwd=folder, check=True, stdout=subprocess.DEVNULL)
    job = subprocess.Popen(mpi(folder), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True)
    wait_until_written(job, os.path.join(folder, "view0000020000.vtu"))

    beside = subprocess.run([CELLPLOT, "--overwrite", folder], capture_output=True, text=True)
    assert beside.returncode == 1, beside
    assert beside.stderr == "cellplot: %s: another cellplot run is converting in this " \
                            "directory; wait for it to end\n" % folder, beside.stderr

    os.kill(pid_of_rank(1), signal.SIGKILL)
    _, err = job.communicate(timeout=60)
    assert job.returncode != 0, err
    ours = [l for l in err.splitlines() if l.startswith("cellplot-mpi: ")]
    dead = [l for l in ours if " ended before the job did" in l]
    assert len(dead) == 1, err
    assert re.fullmatch(r"cellplot-mpi: process 1 ended before the job did; not finished: "
                        r"(pieces 2-3|piece 3) of output 0", dead[0]), dead
    # The others say only which of their own files they leave incomplete.
    for line in ours:
        assert line in dead or re.fullmatch(
            r"cellplot-mpi: (%s/view00000[0-5]0000\.vtu: )?interrupted(; this file is "
            r"incomplete)?" % re.escape(folder), line), line
    assert not os.path.exists(os.path.join(folder, "pview0000.pvtu"))

    done = subprocess.run(mpi(folder, "--update"), capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    with open(os.path.join(folder, "pview0000.pvtu")) as f:
        assert f.read().endswith("</VTKFile>\n")
    with open(os.path.join(folder, "pview.pvd")) as f:
        assert 'file="pview0000.pvtu"' in f.read()
print("ok")
