import json
import threading
import _thread
import time

import numpy as np
import pytest

import orvendi
from conftest import read_csv, small_design


def same_bits(a, b):
    """Equal as doubles to the bit, NaN included."""
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


DESIGNS = {
    "default": {},
    "noisy algorithm 2 with bed": {"algorithm_type": 2, "noise_peak_v": 2e-4, "include_bed_currents": 1,
                                   "scan_x_step": 0.05},
    # Generators on top of each other: points without an estimate.
    "failing points": {"generators[0].x": 0.0, "generators[0].y": 0.0, "generators[1].x": 0.0,
                       "generators[1].y": 0.0, "generators[2].x": 0.0, "generators[2].y": 0.0},
}


@pytest.mark.parametrize("values", DESIGNS.values(), ids=DESIGNS.keys())
def test_calculate_matches_cli_bit_for_bit(cli, tmp_path, values):
    design = small_design(**values)
    design.save(tmp_path / "d.orvendi")
    cli("calculate", tmp_path / "d.orvendi", "--quiet", "--points", tmp_path / "p.csv",
        "--summary", tmp_path / "s.json")
    result = design.calculate(threads=1)
    header, rows = read_csv(tmp_path / "p.csv")
    table = np.array(rows)
    assert result.grid_ij.tolist() == table[:, 0:2].astype(int).tolist()
    assert same_bits(result.true_xyz, table[:, 2:5])
    assert same_bits(result.estimate_xyz, table[:, 5:8])
    assert same_bits(result.error_m, table[:, 8])
    summary = json.loads((tmp_path / "s.json").read_text(), parse_constant=float)
    for name in ("max_error_m", "rms_error_m", "points", "failed_points"):
        assert same_bits(getattr(result, name), float(summary[name])), name
    assert same_bits(design.calculate().error_m, result.error_m)  # every core: the same bits


def test_montecarlo_and_bed_match_cli(cli, tmp_path):
    design = small_design(noise_peak_v=1e-4, include_bed_currents=1)
    design.save(tmp_path / "d.orvendi")
    cli("montecarlo", tmp_path / "d.orvendi", "--quiet", "--runs", 4, "--seed", 9, "--summary", tmp_path / "mc.json")
    expected = json.loads((tmp_path / "mc.json").read_text())
    mc = design.montecarlo(4, seed=9)
    for name, value in expected.items():
        assert same_bits(getattr(mc, name), float(value)), name

    bed = json.loads(cli("bed", tmp_path / "d.orvendi", "--quiet", "--json").stdout)
    result = design.bed()
    for name in ("voltages_v", "currents_a"):
        assert same_bits(getattr(result, name).real, [p["re"] for p in bed[name]])
        assert same_bits(getattr(result, name).imag, [p["im"] for p in bed[name]])


BOUND_DESIGNS = {
    "tilted sensor with bed": {"sensor_theta_rad": 0.3, "sensor_phi_rad": 1.0, "noise_peak_v": 1e-6,
                               "include_bed_currents": 1},
    "blind spots": DESIGNS["failing points"],
}


@pytest.mark.parametrize("values", BOUND_DESIGNS.values(), ids=BOUND_DESIGNS.keys())
def test_bound_matches_cli_bit_for_bit(cli, tmp_path, values):
    design = small_design(**values)
    design.save(tmp_path / "d.orvendi")
    cli("bound", tmp_path / "d.orvendi", "--quiet", "--points", tmp_path / "p.csv", "--summary", tmp_path / "s.json")
    result = design.bound(threads=1)
    header, rows = read_csv(tmp_path / "p.csv")
    table = np.array(rows)
    assert result.grid_ij.tolist() == table[:, 0:2].astype(int).tolist()
    assert same_bits(result.true_xyz, table[:, 2:5])
    assert same_bits(result.bound_m, table[:, 5])
    summary = json.loads((tmp_path / "s.json").read_text(), parse_constant=float)
    for name, value in summary.items():
        assert same_bits(getattr(result, name), float(value)), name


@pytest.mark.parametrize("bed_model", [0, 1])
def test_field_matches_cli_and_refuses_bad_points(cli, tmp_path, bed_model):
    design = small_design(bed_model=bed_model)
    design.save(tmp_path / "d.orvendi")
    points = [(0.1, 0.0, 0.25), (-0.05, 0.12, 0.3)]
    result = design.field(points)
    assert result.coil.shape == result.bed.shape == (9, 2, 3)
    for m, point in enumerate(points):
        probe = json.loads(cli("field", tmp_path / "d.orvendi", "--quiet", "--json",
                               "--at=" + ",".join(map(repr, point))).stdout)
        assert same_bits(result.coil[:, m], [c["coil"] for c in probe["coils"]])
        assert same_bits(result.bed[:, m].real, [c["bed_re"] for c in probe["coils"]])
        assert same_bits(result.bed[:, m].imag, [c["bed_im"] for c in probe["coils"]])

    for bad in ([0.1, 0.0, 0.25], [[0.1, 0.0]], [[0.1, float("nan"), 0.2]], [["a", "b", "c"]], None):
        with pytest.raises(ValueError, match="M x 3 array of finite numbers"):
            design.field(bad)


@pytest.mark.parametrize("runs", [1, 3])
def test_sweep_matches_cli_bit_for_bit(cli, tmp_path, runs):
    design = small_design()
    design.save(tmp_path / "d.orvendi")
    cli("sweep", tmp_path / "d.orvendi", "--quiet", "--vary", "noise_peak_v=0:1e-4:3",
        "--vary", "generators[1].x=-0.3:-0.2:2", "--runs", runs, "--out", tmp_path / "s.csv")
    header, rows = read_csv(tmp_path / "s.csv")
    frame = orvendi.sweep(design, {"noise_peak_v": (0, 1e-4, 3), "generators[1].x": (-0.3, -0.2, 2)}, runs=runs)
    assert list(frame.columns) == header
    assert same_bits(frame.to_numpy(dtype=np.float64), rows)
    assert frame["failed_points"].dtype == np.int64


def test_keys_values_and_files(cli, tmp_path):
    design = orvendi.Design.default()
    assert design.keys()[0] == "generators[0].x" and "view.scale_percent" in design.keys()
    assert len(design.keys()) == len(set(design.keys())) and all(key in design for key in design.keys())
    copy = design.copy()
    copy["generators[1].x"] = 0.125
    copy["view.scale_percent"] = 150
    assert design["generators[1].x"] != 0.125 and copy["generators[1].x"] == 0.125
    copy.save(tmp_path / "c.orvendi")
    assert orvendi.Design.load(tmp_path / "c.orvendi") == copy
    assert orvendi.Design.load(tmp_path / "c.orvendi")["view.scale_percent"] == 150
    assert design.validate() == []

    # A bad key: KeyError; a bad value: ValueError with the message orvendi-cli gives; nothing changes.
    with pytest.raises(KeyError, match="no_such_key"):
        design["no_such_key"]
    with pytest.raises(KeyError, match="generators.3..x"):
        design["generators[3].x"] = 0.0
    before = design.to_json()
    with pytest.raises(ValueError) as refused:
        design["algorithm_type"] = 4
    assert design.to_json() == before
    design.save(tmp_path / "d.orvendi")
    message = cli("sweep", tmp_path / "d.orvendi", "--vary", "algorithm_type=1:4:4", "--out", tmp_path / "o.csv",
                  expect=2).stderr
    assert str(refused.value) in message
    with pytest.raises(ValueError) as refused:
        orvendi.sweep(design, {"algorithm_type": (1, 4, 4)})
    assert str(refused.value) in message
    with pytest.raises(KeyError, match="not a numeric key"):
        orvendi.sweep(design, {"view.scale_percent": (50, 100, 2)})

    (tmp_path / "bad.orvendi").write_text('{"format": "orvendi-design", "version": 1, "frequency_hz": "x"}')
    printed = cli("validate", tmp_path / "bad.orvendi", expect=2).stderr.splitlines()
    assert orvendi.validate_file(str(tmp_path / "bad.orvendi")) == printed
    with pytest.raises(ValueError) as unread:
        orvendi.Design.load(tmp_path / "bad.orvendi")
    assert str(unread.value) == printed[0]


LARGEST = {"include_bed_currents": 1, "algorithm_type": 2, "dipole_type": 1, "bed_cells_x": 1000,
           "bed_cells_y": 1000, "scan_x_step": 0.005, "scan_y_step": 0.005}
LONG_COMPUTATIONS = {
    # Under a second on one thread: the interrupt comes early.
    "calculate": (0.05, lambda design: design.calculate(threads=1)),
    "bound": (0.05, lambda design: design.bound(threads=1)),
    # Minutes each, unless stopped.
    "montecarlo": (0.3, lambda design: design.montecarlo(5000)),
    "sweep": (0.3, lambda design: orvendi.sweep(design, {"noise_peak_v": (0, 1e-4, 500)})),
    "optimize": (0.3, lambda design: orvendi.optimize(design, {"generators[1].x": (-0.5, 0.5)})),
}


@pytest.mark.parametrize("delay, compute", LONG_COMPUTATIONS.values(), ids=LONG_COMPUTATIONS.keys())
def test_ctrl_c_stops_a_long_computation(delay, compute):
    design = small_design(**LARGEST)
    timer = threading.Timer(delay, _thread.interrupt_main)
    started = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        compute(design)
    assert time.monotonic() - started < delay + 5.0
    timer.join()
    assert small_design().calculate().points == 36  # the module still computes
