"""A flop report's wall time on this machine and on a two-worker Dask LocalCluster:
the solver's flop benchmark spot (bench_solver.cpp's ranges, pot 60, stack
170, no donk bets, thresholds off, no raise cap) with one bet per street
(flop 33 %, turn 75 %, river 100 %, raises 2.5x), each flop to 1 %.

    python3 bench/bench_report.py [--flops 49] [--sample N] [--skip-cluster]

--sample N times every (flops/N)-th flop of the set only and scales the times
up to the whole set (said in the output). Needs the package importable (a
wheel, or PYTHONPATH=python with $ODDSMITH_EXTENSION) and, for the cluster,
the cluster extra."""
import argparse
import time

import oddsmith

OOP = "QQ-22,AQs-A2s,ATo+,K9s+,KTo+,QTs+,JTs"
IP = "AA-22,AKs-A2s,AKo-A9o,K8s+,KTo+,Q9s+,QTo+,J9s+,T9s"
SPOT = dict(pot=60, stack=170, flop_bets="33%", flop_raises="2.5x", turn_bets="75%", turn_raises="2.5x",
            river_bets="100%", river_raises="2.5x", add_allin=0, force_allin=0, merge=0, max_raises=None, target=1.0)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--flops", default="49")
    parser.add_argument("--sample", type=int, help="time this many flops of the set, spread over it, and scale up")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--skip-cluster", action="store_true")
    options = parser.parse_args()
    flops = oddsmith.flop_set(options.flops)
    chosen = flops
    if options.sample and options.sample < len(flops):
        chosen = [flops[i * len(flops) // options.sample] for i in range(options.sample)]
    scale = len(flops) / len(chosen)
    print(f"{len(chosen)} of the {len(flops)} flops of set {options.flops!r}"
          + (f" (times scaled by {scale:.2f} to the whole set)" if scale != 1 else ""))

    def show(where: str, report: oddsmith.Report, seconds: float) -> None:
        iterations = sum(r["iterations"] for r in report.rows)
        worst = max(r["exploitability_pct"] for r in report.rows)
        print(f"{where}: {seconds:.1f} s for {len(report.rows)} flops"
              + (f", {seconds * scale:.0f} s for all {len(flops)}" if scale != 1 else "")
              + f"; {iterations} iterations, worst exploitability {worst:.3f} %, "
              f"failed {len(report.failed)}; OOP EV {report.weighted_mean('oop_ev'):.3f}")

    started = time.perf_counter()
    local = oddsmith.aggregate(OOP, IP, flops=chosen, workers=options.workers, threads=1, **SPOT)
    show(f"local, {options.workers} flops at a time", local, time.perf_counter() - started)
    if options.skip_cluster:
        return
    import distributed
    with distributed.LocalCluster(n_workers=options.workers, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        client.run(lambda: None)  # the workers started before the clock does
        started = time.perf_counter()
        remote = oddsmith.aggregate(OOP, IP, flops=chosen, client=client, threads=1, **SPOT)
        show(f"LocalCluster, {options.workers} workers x 1 thread", remote, time.perf_counter() - started)
    same = [{k: v for k, v in r.items() if k != "seconds"} for r in local.rows] == \
           [{k: v for k, v in r.items() if k != "seconds"} for r in remote.rows]
    print(f"cluster rows equal to the local ones: {same}")


if __name__ == "__main__":
    main()
