import numpy as np
import pytest

import orvendi
import orvendi.distributed
from conftest import read_csv, small_design

distributed = pytest.importorskip("distributed")


def test_local_cluster_sweep_in_shards_equals_cli(cli, tmp_path):
    design = small_design(noise_peak_v=5e-5)
    design.save(tmp_path / "d.orvendi")
    cli("sweep", tmp_path / "d.orvendi", "--quiet", "--vary", "frequency_hz=1000:4000:3",
        "--vary", "generators[2].y=-0.3:0.3:4", "--out", tmp_path / "s.csv")
    header, rows = read_csv(tmp_path / "s.csv")
    vary = {"frequency_hz": (1000, 4000, 3), "generators[2].y": (-0.3, 0.3, 4)}
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        frame = orvendi.distributed.sweep(design, vary, client, shards=5)
        with pytest.raises(KeyError):
            orvendi.distributed.sweep(design, {"no_such_key": (0, 1, 2)}, client)
    assert list(frame.columns) == header
    assert frame.to_numpy(dtype=np.float64).tobytes() == np.array(rows).tobytes()
