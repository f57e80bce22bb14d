#!/usr/bin/env python3
"""Instruction counts per evaluation and per deal, from valgrind's callgrind over
a fixed workload (cost_workload): they do not move with the machine's load.
Prints each figure beside its budget (cost_budgets.txt) and exits 1 when one is
more than 10 % over.
    bench/cost_report.py build/release/bin/cost_workload
"""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# figure: how many evaluations or deals to run
COUNTS = {"export_ev5": 100000, "export_ev7": 100000, "export_evomaha": 50000, "export_evomahalow": 50000,
          "eval5": 100000, "eval7": 100000, "eval_omaha_high": 50000, "eval_omaha_low": 50000,
          "eval_omaha_high_checked": 50000, "eval_omaha5_high": 20000, "batch_ev7": 100000, "batch_holdem7": 100000, "batch_shortdeck7": 100000,
          "batch_omaha": 50000, "batch_omaha5": 20000,
          "holdem_deal_1": 20000, "holdem_deal_9": 10000, "omaha_deal_1": 10000, "omaha_deal_5": 5000,
          "hilo_deal_1": 10000, "hilo_deal_5": 5000,
          "calc_holdem_1_random": 200000, "calc_holdem_3_random": 100000, "calc_holdem_5_random": 100000,
          "calc_holdem_ranges": 200000,
          "calc_omaha_1_random": 100000, "calc_omaha_random_random": 100000, "calc_exact_AsKd_random_turn": 20}


def instructions(workload, figure, count):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--instr-atstart=no", f"--callgrind-out-file={out}",
                        workload, figure, str(count)], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out) as f:
            total = re.search(r"^totals: (\d+)", f.read(), re.M)
        return int(total.group(1)) / count


def main():
    workload = sys.argv[1] if len(sys.argv) > 1 else "build/release/bin/cost_workload"
    budgets = {}
    with open(os.path.join(HERE, "cost_budgets.txt")) as f:
        for line in f:
            words = line.split("#")[0].split()
            if len(words) == 2:
                budgets[words[0]] = float(words[1])
    over = 0
    print(f"{'figure':20} {'instructions':>12} {'budget':>8}")
    for figure, count in COUNTS.items():
        cost = instructions(workload, figure, count)
        budget = budgets.get(figure)
        verdict = ""
        if budget is None:
            verdict = "  (no budget)"
            over += 1
        elif cost > budget * 1.10:
            verdict = "  OVER BUDGET"
            over += 1
        print(f"{figure:20} {cost:12.1f} {budget if budget is not None else '-':>8}{verdict}")
    print(f"{over} figure(s) over budget" if over else "every figure within its budget")
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
