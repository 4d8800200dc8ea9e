"""Orvendi from Python: designs, calculations, precision bounds, field probes, Monte-Carlo runs,
the bed model, sweeps and the layout search.

The numbers are those of ``orvendi-cli``, bit for bit; every computation runs in C++ without the
interpreter lock and stops with KeyboardInterrupt at its next progress report after a Ctrl-C.

    >>> import orvendi
    >>> design = orvendi.Design.load("design.orvendi")
    >>> design["noise_peak_v"] = 1e-5
    >>> result = design.calculate()
    >>> result.max_error_m, result.estimate_xyz.shape

``orvendi.sweep`` runs a sweep here, ``orvendi.distributed.sweep`` on a Dask cluster;
``orvendi.optimize`` searches for the best values of some design keys.
"""

from ._orvendi import Bed, Bound, Calculation, Design, Field, MonteCarlo, validate_file
from . import _orvendi

__all__ = ["Bed", "Bound", "Calculation", "Design", "Field", "MonteCarlo", "Optimization", "optimize", "sweep", "sweep_axes", "validate_file"]


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


def _whole(name, value, low, high):
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise ValueError(f"{name}: expected a whole number from {low} to {high}, not {value!r}")
    return value


class Optimization:
    """The result of orvendi.optimize(), the figures ``orvendi-cli optimize`` prints and writes.

    objective: its name; start_objective: of the design as given; best_objective: of ``best``
    (inf when no point could be computed); best: the design with the best values (a Design, what
    --out writes); best_values: {key: value} of the varied keys; evaluations: points computed or
    refused; refused: points the design check or min_spacing turned down (never computed);
    history: a pandas DataFrame with a row per evaluation and the columns of --log (evaluation,
    the keys, objective, best_objective, refused).
    """

    def __init__(self, figures):
        self.objective = figures["objective"]
        self.start_objective = figures["start_objective"]
        self.best_objective = figures["best_objective"]
        self.best = figures["best"]
        self.best_values = figures["best_values"]
        self.evaluations = figures["evaluations"]
        self.refused = figures["refused"]
        self.history = sweep_frame(*figures["history"])

    def __repr__(self):
        return (f"<orvendi.Optimization objective={self.objective} start={self.start_objective!r} "
                f"best={self.best_objective!r} evaluations={self.evaluations}>")


def optimize(design, vary, objective="max", runs=10, evaluations=2000, seed=1, min_spacing=0.0, ties=None,
             threads=None):
    """Searches for the values of some design keys that make an error smallest, as
    ``orvendi-cli optimize``: the same arguments give the same best design and objective, bit for
    bit, on any thread count. Returns an Optimization; `design` is left as it is.

    vary: {"generators[1].x": (-0.5, 0.5), ...}, the box of each free numeric key (LO below HI).
    objective: "max" or "rms" (of one calculation), "mc-rms" or "mc-p95" (of a Monte-Carlo run of
    `runs` runs), "bound-max" or "bound-rms" (of the precision bound over the grid).
    evaluations: the budget (1 to 1000000); seed: of the search's random choices.
    min_spacing: generators at least this far apart in the plane (metres, 0 for anywhere).
    ties: {"generators[2].x": "-generators[1].x"}, keys that follow a varied key or its negative.
    A key that is not a numeric key of a design file raises KeyError, any other bad argument
    ValueError, before anything is computed. Ctrl-C stops the search with KeyboardInterrupt; when a
    point had been computed, the exception's ``result`` is the Optimization of the best so far.
    """
    boxes = []
    try:
        for key, (low, high) in vary.items():
            boxes.append((str(key), float(low), float(high)))
    except (AttributeError, TypeError, ValueError):
        raise ValueError(f"vary: expected {{KEY: (LO, HI), ...}}, not {vary!r}") from None
    ties = {} if ties is None else ties
    if not hasattr(ties, "items") or not all(isinstance(other, str) for other in ties.values()):
        raise ValueError(f'ties: expected {{KEY: "OTHER" or "-OTHER", ...}}, not {ties!r}')
    if not isinstance(objective, str):
        raise ValueError(f"objective: expected a name such as \"max\", not {objective!r}")
    try:
        min_spacing = float(min_spacing)
    except (TypeError, ValueError):
        raise ValueError(f"min_spacing: expected a distance in metres, not {min_spacing!r}") from None
    try:
        figures = _orvendi._optimize(design, boxes, [(str(key), other) for key, other in ties.items()], objective,
                                     _whole("runs", runs, 1, _orvendi._MAX_RUNS),
                                     _whole("evaluations", evaluations, 1, _orvendi._MAX_EVALUATIONS),
                                     _whole("seed", seed, 0, 2**64 - 1), min_spacing, threads)
    except KeyboardInterrupt as stopped:
        if isinstance(getattr(stopped, "result", None), dict):
            stopped.result = Optimization(stopped.result)
        raise
    return Optimization(figures)
