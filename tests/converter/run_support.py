"""Helpers shared by the tests that watch a running cellplot or cellplot-mpi."""
import os
import time


def wait_until_written(proc, path, seconds=60):
    """Waits until proc has put bytes into path, and is still running."""
    end = time.monotonic() + seconds
    while not (os.path.exists(path) and os.path.getsize(path) > 0):
        assert proc.poll() is None, proc.communicate()
        assert time.monotonic() < end, "timed out"
        time.sleep(0.002)
