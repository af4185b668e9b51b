#!/usr/bin/env python3
"""Makes the two examples with holes from bundled ones, the same every time.

credit_g_missing: the credit_g test cases with about one condition value in
ten replaced by "?", chosen with a fixed seed.
iris_unlabelled: the iris test cases with their class replaced by "?".

Run from anywhere: python3 examples/make_missing.py
"""
import pathlib
import random
import shutil

EXAMPLES = pathlib.Path(__file__).resolve().parent


def decision_column(fmc):
    """The position of the decision attribute among the values of a line."""
    flags = [line.split()[0] for line in fmc.read_text().splitlines()
             if line.startswith("AttriFlag=")]
    return flags.index("AttriFlag=D")


def derive(source, target, change_line):
    """Copies example source as target, its test lines passed through
    change_line(values, decision) -> values."""
    src, dst = EXAMPLES / source, EXAMPLES / target
    dst.mkdir(exist_ok=True)
    for ext in ("fmc", "intr"):
        shutil.copyfile(src / f"{source}.{ext}", dst / f"{target}.{ext}")
    decision = decision_column(src / f"{source}.fmc")
    lines = (src / f"{source}.tst").read_text().splitlines()
    out = [",".join(change_line(line.split(","), decision)) for line in lines]
    (dst / f"{target}.tst").write_text("\n".join(out) + "\n")


def main():
    rng = random.Random(20261208)

    def holes(values, decision):
        return [v if k == decision or rng.random() >= 0.1 else "?"
                for k, v in enumerate(values)]

    def unlabelled(values, decision):
        return ["?" if k == decision else v for k, v in enumerate(values)]

    derive("credit_g", "credit_g_missing", holes)
    derive("iris", "iris_unlabelled", unlabelled)


if __name__ == "__main__":
    main()
