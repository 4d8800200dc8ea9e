"""Sweeps on a Dask ``distributed`` cluster: each task computes one shard of the rows with the
C++ engine in its worker's process, and the gathered DataFrame is the whole sweep, row for row and
bit for bit, whatever the number of shards and workers.

    >>> from dask.distributed import Client, LocalCluster
    >>> client = Client(LocalCluster(n_workers=4, threads_per_worker=1))
    >>> frame = orvendi.distributed.sweep(design, {"noise_peak_v": (0, 1e-4, 101)}, client)
"""

import pandas

import orvendi


def _shard(design, axes, runs, seed, shard, threads):
    names, columns = orvendi._orvendi._sweep(design, axes, runs, seed, shard, threads)
    return orvendi.sweep_frame(names, columns)


def sweep(design, vary, client, shards=None, runs=1, seed=1, threads=1):
    """orvendi.sweep on the workers of a dask.distributed Client, in `shards` tasks (default: four
    per worker, at least one). Each task computes on `threads` threads (None: every core of its
    machine); with one thread per task the workers' cores are shared out by Dask. Bad keys and
    values raise here, before any task is sent.
    """
    axes = orvendi.sweep_axes(vary)
    runs, seed = int(runs), int(seed)
    if shards is None:
        shards = max(1, 4 * len(client.scheduler_info().get("workers", {})))
    shards = int(shards)
    if shards < 1:
        raise ValueError(f"shards must be at least 1, not {shards}")
    # A shard of no rows checks every value of the sweep and computes nothing.
    rows = _rows(axes)
    if rows < 2**31 - 1:
        orvendi._orvendi._sweep(design, axes, runs, seed, (1, rows + 1), threads)
    futures = [client.submit(_shard, design, axes, runs, seed, (i, shards), threads, pure=False)
               for i in range(1, shards + 1)]
    frames = client.gather(futures)
    return pandas.concat(frames, ignore_index=True)


def _rows(axes):
    rows = 1
    for axis in axes:
        rows *= axis[3]
    return rows
