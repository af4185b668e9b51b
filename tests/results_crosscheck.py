#!/usr/bin/env python3
"""Checks every figure of the JSON results against scikit-learn.

    results_crosscheck.py RULEVAL EXAMPLES_DIR

Runs RULEVAL with --json and --predictions on every example of EXAMPLES_DIR
in a scratch directory, takes the actual and given classes of every case
from the predictions CSV, and compares the JSON's figures with scikit-learn's
(accuracy, per-class and averaged precision, recall and F1, the confusion
matrix, Cohen's kappa, Matthews correlation, balanced accuracy), its other
per-class figures with the counts of scikit-learn's per-class confusion
matrices, and its counts by route and by rule with the CSV's rows. A real
may differ by at most 1e-9; a figure the JSON leaves null must be one over
nothing. Exits 0 when all agree, 1 when not, and 77 (skipped) when
scikit-learn cannot be imported, unless RULEVAL_REQUIRE_CROSSCHECK=1 (as CI
sets it) makes that a failure.
"""

import csv
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import warnings

SKIPPED = 77
TOLERANCE = 1e-9


class Checker:
    def __init__(self, example):
        self.example = example
        self.failures = []

    def equal(self, what, ours, expected):
        if ours != expected:
            self.failures.append(f"{self.example}: {what}: {ours!r}, expected {expected!r}")

    def real(self, what, ours, expected):
        """expected is None (or not a number) for a figure over nothing."""
        if expected is None or (isinstance(expected, float) and math.isnan(expected)):
            if ours is not None:
                self.failures.append(f"{self.example}: {what}: {ours!r}, expected null")
            return
        if ours is None or abs(ours - float(expected)) > TOLERANCE:
            self.failures.append(f"{self.example}: {what}: {ours!r}, expected {float(expected)!r}")


def run_example(binary, examples, name, scratch):
    for extension in ("fmc", "tst", "intr"):
        shutil.copy(os.path.join(examples, name, f"{name}.{extension}"), scratch)
    subprocess.run([binary, name, "--quiet", "--json", "results.json",
                    "--predictions", "predictions.csv"],
                   cwd=scratch, check=True)
    with open(os.path.join(scratch, "results.json"), encoding="utf-8") as f:
        document = json.load(f)
    with open(os.path.join(scratch, "predictions.csv"), newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    return document, rows


def mean_where(values, defined, weights=None):
    """The mean over the classes where the figure exists, as the JSON takes it."""
    import numpy as np
    weights = np.ones(len(values)) if weights is None else np.asarray(weights, float)
    weights = weights * np.asarray(defined, float)
    total = weights.sum()
    return None if total == 0 else float((weights * np.asarray(values)).sum() / total)


def check_classes(check, document, y_true, y_pred, n):
    import numpy as np
    from sklearn import metrics
    labels = list(range(n))
    matrix = metrics.confusion_matrix(y_true, y_pred, labels=labels)
    check.equal("confusion matrix", document["confusion_matrix"]["rows"], matrix.tolist())
    per_class = metrics.multilabel_confusion_matrix(y_true, y_pred, labels=labels)
    precision, recall, f1, support = metrics.precision_recall_fscore_support(
        y_true, y_pred, labels=labels, average=None, zero_division=0)
    entries = document["classes"]
    has_recall, has_precision, has_f1 = [], [], []
    for k, entry in enumerate(entries):
        (tn, fp), (fn, tp) = per_class[k].tolist()
        what = f"class {entry['label']}"
        check.equal(f"{what} counts",
                    [entry[key] for key in ("support", "predicted", "true_positives",
                                            "false_positives", "false_negatives",
                                            "true_negatives")],
                    [int(support[k]), tp + fp, tp, fp, fn, tn])
        has_recall.append(tp + fn > 0)
        has_precision.append(tp + fp > 0)
        has_f1.append(tp + fp + fn > 0)
        r = recall[k] if has_recall[-1] else None
        p = precision[k] if has_precision[-1] else None
        s = tn / (tn + fp) if tn + fp > 0 else None
        check.real(f"{what} recall", entry["recall"], r)
        check.real(f"{what} precision", entry["precision"], p)
        check.real(f"{what} f1", entry["f1"], f1[k] if has_f1[-1] else None)
        check.real(f"{what} specificity", entry["specificity"], s)
        check.real(f"{what} recall-precision mean", entry["geometric_mean_recall_precision"],
                   None if r is None or p is None else math.sqrt(r * p))
        check.real(f"{what} recall-specificity mean", entry["geometric_mean_recall_specificity"],
                   None if r is None or s is None else math.sqrt(r * s))
    summary = document["summary"]
    for kind, weights in (("macro_average", None), ("weighted_average", support)):
        check.real(f"{kind} precision", summary[kind]["precision"],
                   mean_where(precision, has_precision, weights))
        check.real(f"{kind} recall", summary[kind]["recall"],
                   mean_where(recall, has_recall, weights))
        check.real(f"{kind} f1", summary[kind]["f1"], mean_where(f1, has_f1, weights))
    if all(has_precision) and all(has_recall):
        # Where every figure exists, the means are scikit-learn's own.
        for kind, average in (("macro_average", "macro"), ("weighted_average", "weighted")):
            p, r, f, _ = metrics.precision_recall_fscore_support(
                y_true, y_pred, labels=labels, average=average, zero_division=0)
            check.real(f"{kind} precision (whole)", summary[kind]["precision"], p)
            check.real(f"{kind} recall (whole)", summary[kind]["recall"], r)
            check.real(f"{kind} f1 (whole)", summary[kind]["f1"], f)


def check_agreement(check, document, y_true, y_pred):
    import numpy as np
    from sklearn import metrics
    summary = document["summary"]
    check.real("accuracy", document["cases"]["accuracy"],
               metrics.accuracy_score(y_true, y_pred) if y_true else None)
    check.real("balanced accuracy", summary["balanced_accuracy"],
               metrics.balanced_accuracy_score(y_true, y_pred) if y_true else None)
    kappa = metrics.cohen_kappa_score(y_true, y_pred) if y_true else None
    check.real("Cohen's kappa", summary["cohen_kappa"], kappa)
    mcc = metrics.matthews_corrcoef(y_true, y_pred) if y_true else None
    # scikit-learn gives 0 where the coefficient's denominator is 0.
    if mcc == 0 and summary["matthews_correlation"] is None:
        t = np.bincount(y_true)
        p = np.bincount(y_pred)
        n = len(y_true)
        if (n * n - (t * t).sum()) * (n * n - (p * p).sum()) == 0:
            mcc = None
    check.real("Matthews correlation", summary["matthews_correlation"], mcc)


def check_counts(check, document, every_row, rows):
    """The counts by route and by rule against the CSV's rows: every row,
    and the scored ones."""
    cases = document["cases"]
    check.equal("cases", [cases["total"], cases["scored"], cases["without_class"],
                          cases["correct"]],
                [len(every_row), len(rows), len(every_row) - len(rows),
                 sum(row["correct"] == "1" for row in rows)])
    for route, counts in cases["by_route"].items():
        of_route = [row for row in rows if row["route"] == route]
        check.equal(f"route {route}", [counts["cases"], counts["correct"]],
                    [len(of_route), sum(row["correct"] == "1" for row in of_route)])
    for group in document["rules"]:
        for rule in group["rules"]:
            if group["class"] is None:
                continue
            reference = f"{group['class']}:{rule['number']}"
            matched = [row for row in rows if reference in row["full_matches"].split(" ")]
            helped = [row for row in matched
                      if row["route"] == "full" and row["given"] == group["class"]]
            check.equal(f"rule {reference}",
                        [rule["fully_matched"], rule["helped_decide"], rule["wrong"]],
                        [len(matched), len(helped),
                         sum(row["correct"] == "0" for row in helped)])


def check_example(binary, examples, name):
    check = Checker(name)
    with tempfile.TemporaryDirectory() as scratch:
        document, every_row = run_example(binary, examples, name, scratch)
    # A case without a class has no actual class and is not scored.
    rows = [row for row in every_row if row["actual"] != ""]
    labels = [entry["label"] for entry in document["classes"]]
    index = {label: k for k, label in enumerate(labels)}
    y_true = [index[row["actual"]] for row in rows]
    y_pred = [index[row["given"]] for row in rows]
    check_classes(check, document, y_true, y_pred, len(labels))
    check_agreement(check, document, y_true, y_pred)
    check_counts(check, document, every_row, rows)
    return check.failures


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    binary, examples = os.path.abspath(sys.argv[1]), sys.argv[2]
    try:
        import numpy  # noqa: F401
        import sklearn.metrics  # noqa: F401
    except ImportError as error:
        required = os.environ.get("RULEVAL_REQUIRE_CROSSCHECK") == "1"
        print(f"scikit-learn cannot be imported ({error}): the cross-check is "
              f"{'required here' if required else 'skipped'}; "
              "apt-get install -y python3-sklearn")
        return 1 if required else SKIPPED
    warnings.simplefilter("ignore")  # figures over nothing warn
    names = sorted(entry for entry in os.listdir(examples)
                   if os.path.isdir(os.path.join(examples, entry)))
    failures = []
    for name in names:
        failures += check_example(binary, examples, name)
    for failure in failures:
        print(failure)
    print(f"{len(names)} examples, {len(failures)} differences")
    return 1 if failures or not names else 0


if __name__ == "__main__":
    sys.exit(main())
