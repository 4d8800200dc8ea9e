import csv
import os
import subprocess

import pytest

import orvendi


@pytest.fixture(scope="session")
def cli():
    """Runs the orvendi-cli of the build; returns its standard output."""
    program = os.environ["ORVENDI_CLI"]

    def run(*args, expect=0):
        done = subprocess.run([program, *map(str, args)], capture_output=True, text=True)
        assert done.returncode == expect, done.stderr
        return done

    return run


def read_csv(path):
    """Header and rows with each cell read by float(): exact for the CLI's shortest round-trip text."""
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], [[float(cell) if cell else float("nan") for cell in row] for row in rows[1:]]


def small_design(**values):
    design = orvendi.Design.default()
    for key, value in values.items():
        design[key] = value
    return design
