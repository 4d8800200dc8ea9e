import threading
import _thread

import numpy as np
import pytest

import orvendi
from conftest import read_csv, small_design
from test_module import same_bits

SEARCHES = {
    "max with a tie and spacing": dict(vary={"generators[1].x": (-0.5, 0.5), "generators[1].y": (-0.5, 0.5)},
                                       ties={"generators[2].x": "-generators[1].x"}, min_spacing=0.2,
                                       objective="max", evaluations=40, seed=3),
    "mc-rms over a whole key": dict(vary={"generators[0].y": (-0.4, 0.4), "generators[0].turns": (10, 200)},
                                    objective="mc-rms", runs=3, evaluations=25),
}


def cli_args(vary, objective, evaluations, seed=1, runs=10, min_spacing=0.0, ties=()):
    args = ["--objective", objective, "--evaluations", evaluations, "--seed", seed, "--runs", runs,
            "--min-spacing", repr(min_spacing)]
    for key, (low, high) in vary.items():
        args += ["--vary", f"{key}={low!r}:{high!r}"]
    for key, other in dict(ties).items():
        args += ["--tie", f"{key}={other}"]
    return args


@pytest.mark.parametrize("search", SEARCHES.values(), ids=SEARCHES.keys())
def test_optimize_matches_cli_bit_for_bit(cli, tmp_path, search):
    design = small_design()
    before = design.to_json()
    design.save(tmp_path / "d.orvendi")
    printed = cli("optimize", tmp_path / "d.orvendi", *cli_args(**search), "--threads", 1,
                  "--out", tmp_path / "best.orvendi", "--log", tmp_path / "log.csv").stdout
    figures = dict(line.split(": ", 1) for line in printed.splitlines())
    result = orvendi.optimize(design, threads=2, **search)
    assert design.to_json() == before
    assert result.best.to_json() == (tmp_path / "best.orvendi").read_text()
    assert result.best_objective == float(figures["best_objective"])
    assert result.start_objective == float(figures["start_objective"])
    assert (result.evaluations, result.refused) == (int(figures["evaluations"]), int(figures["refused_points"]))
    assert result.best_values == {key: float(figures[key]) for key in search["vary"]}
    header, rows = read_csv(tmp_path / "log.csv")
    assert list(result.history.columns) == header
    assert same_bits(result.history.to_numpy(dtype=np.float64), np.array(rows))


VARY = {"generators[1].x": (-0.5, 0.5)}
BAD_ARGUMENTS = {
    "no key": (dict(vary={}), ValueError, "at least one"),
    "unknown key": (dict(vary={"no_such_key": (0, 1)}), KeyError, "no_such_key"),
    "box upside down": (dict(vary={"generators[1].x": (0.5, -0.5)}), ValueError, "LO below HI"),
    "box not a pair": (dict(vary={"generators[1].x": (0.5,)}), ValueError, "KEY: .LO, HI."),
    "unknown objective": (dict(vary=VARY, objective="best"), ValueError, "objective: .best. is none of"),
    "no evaluations": (dict(vary=VARY, evaluations=0), ValueError, "evaluations"),
    "runs not whole": (dict(vary=VARY, runs=2.5), ValueError, "runs"),
    "negative seed": (dict(vary=VARY, seed=-1), ValueError, "seed"),
    "negative spacing": (dict(vary=VARY, min_spacing=-0.1), ValueError, "min_spacing"),
    "tie to a fixed key": (dict(vary=VARY, ties={"generators[2].x": "-frequency_hz"}), ValueError,
                           "not one of the"),
    "tie of a varied key": (dict(vary=VARY, ties={"generators[1].x": "generators[1].x"}), ValueError,
                            "already varied"),
    "tie not a name": (dict(vary=VARY, ties={"generators[2].x": 1.0}), ValueError, "ties"),
    "threads": (dict(vary=VARY, threads=0), ValueError, "threads"),
}


@pytest.mark.parametrize("arguments, error, message", BAD_ARGUMENTS.values(), ids=BAD_ARGUMENTS.keys())
def test_optimize_refuses_bad_arguments(arguments, error, message):
    with pytest.raises(error, match=message):
        orvendi.optimize(small_design(), **arguments)


def test_ctrl_c_keeps_the_best_so_far():
    design = small_design()
    timer = threading.Timer(1.0, _thread.interrupt_main)
    timer.start()
    with pytest.raises(KeyboardInterrupt) as stopped:
        orvendi.optimize(design, {"generators[1].x": (-0.5, 0.5), "generators[1].y": (-0.5, 0.5)},
                         evaluations=1000000)
    timer.join()
    best = stopped.value.result
    assert 0 < best.evaluations == len(best.history) < 1000000
    assert best.best_objective <= best.start_objective
    assert best.best.calculate().max_error_m == best.best_objective
