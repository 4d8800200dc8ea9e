"""Orvendi from Python: designs, calculations, precision bounds, field probes, Monte-Carlo runs,
the bed model and sweeps.

The numbers are those of ``orvendi-cli``, bit for bit; every computation runs in C++ without the
interpreter lock and stops with KeyboardInterrupt at its next progress report after a Ctrl-C.

    >>> import orvendi
    >>> design = orvendi.Design.load("design.orvendi")
    >>> design["noise_peak_v"] = 1e-5
    >>> result = design.calculate()
    >>> result.max_error_m, result.estimate_xyz.shape

``orvendi.sweep`` runs a sweep here, ``orvendi.distributed.sweep`` on a Dask cluster.
"""

from ._orvendi import Bed, Bound, Calculation, Design, Field, MonteCarlo, validate_file
from . import _orvendi

__all__ = ["Bed", "Bound", "Calculation", "Design", "Field", "MonteCarlo", "sweep", "sweep_axes", "validate_file"]


def sweep_axes(vary):
    """The axes of a sweep as (key, from, to, count) tuples, from a mapping of design keys to
    (from, to, count): count evenly spaced values from `from` to `to`. The first key changes slowest.
    """
    axes = []
    for key, axis in vary.items():
        try:
            start, stop, count = axis
        except (TypeError, ValueError):
            raise ValueError(f"vary {key}: expected (FROM, TO, COUNT), not {axis!r}") from None
        if isinstance(count, float) and count.is_integer():
            count = int(count)
        if not isinstance(count, int) or isinstance(count, bool):
            raise ValueError(f"vary {key}: the count {count!r} is not a whole number")
        axes.append((str(key), float(start), float(stop), count))
    return axes


def sweep_frame(names, columns):
    """A DataFrame of a sweep's columns in the order given (the CSV's)."""
    import pandas

    return pandas.DataFrame({name: column for name, column in zip(names, columns)}, columns=names)


def sweep(design, vary, runs=1, seed=1, shard=None, threads=None):
    """Calculates every combination of values of some design keys and returns a pandas DataFrame
    with the columns of ``orvendi-cli sweep``: the keys, max_error_m, rms_error_m, failed_points
    and, with runs above 1, the Monte-Carlo figures (mc_rms_error_m is their RMS error).

    vary: {"noise_peak_v": (0, 1e-4, 11), "generators[1].x": (-0.3, -0.2, 5)}, the first key slowest.
    shard: (I, N) computes only the I-th of N contiguous parts of the rows (I from 1); the parts
    concatenated in order are the whole sweep. A key that is not a numeric key of a design file
    raises KeyError; a value the design file does not accept raises ValueError naming its row,
    before anything is computed.
    """
    index, count = (1, 1) if shard is None else shard
    names, columns = _orvendi._sweep(design, sweep_axes(vary), int(runs), int(seed), (int(index), int(count)),
                                     threads)
    return sweep_frame(names, columns)
