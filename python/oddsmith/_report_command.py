"""`oddsmith report`: one spot over a set of flops (oddsmith.aggregate), written
as CSV, Parquet and an SVG chart; on this machine's cores or, with
--scheduler, on a Dask cluster. The `oddsmith` command runs it here, in
Python, and hands every other command to the command-line program."""
import argparse
import sys
from typing import Any, Dict, List, Optional, Sequence, cast

from .report import CLUSTER_EXTRA, Report, aggregate

_STREETS = ("flop", "turn", "river")


def _parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(
        prog="oddsmith report",
        description="One spot solved (or, with --equity, the ranges' equity and made hands) on every flop of a set, "
                    "each flop with the weight of the flops it stands for.")
    p.add_argument("oop", metavar="OOP_RANGE")
    p.add_argument("ip", metavar="IP_RANGE")
    p.add_argument("--equity", action="store_true", help="equity and made-hand shares per flop, no solving")
    p.add_argument("--flops", default="49", help="all (1,755), 184, 95, 49, or flops separated by commas (default 49)")
    p.add_argument("--game", default="holdem")
    p.add_argument("--dead", "-d", default="")
    p.add_argument("--pot", type=int)
    p.add_argument("--stack", type=int)
    for street in _STREETS:
        for what in ("bets", "raises"):
            p.add_argument(f"--{street}-{what}", help=f"{street} {what} for both players (default as oddsmith solve)")
    p.add_argument("--donk", action="store_true")
    p.add_argument("--max-raises", type=int)
    p.add_argument("--target", type=float, default=0.5, help="exploitability target, %% of the pot (default 0.5)")
    p.add_argument("--max-iterations", type=int, default=1000)
    p.add_argument("--threads", type=int, default=1, help="threads per flop (default 1)")
    p.add_argument("--workers", type=int, help="flops at a time on this machine (default: its cores)")
    p.add_argument("--scheduler", metavar="ADDRESS", help="a Dask scheduler (tcp://host:8786): one task per flop")
    p.add_argument("--retries", type=int, default=2, help="times a failed flop is tried again (default 2)")
    p.add_argument("--csv", metavar="FILE", help="the rows as CSV (default: standard output)")
    p.add_argument("--parquet", metavar="FILE", help="the rows as Parquet (pyarrow)")
    p.add_argument("--svg", metavar="FILE", help="the chart")
    p.add_argument("--quiet", "-q", action="store_true", help="no progress line")
    return p


def _summary(report: Report) -> str:
    columns = [c for c in report.columns if c.startswith("freq ") or c.endswith(("_ev", "_equity"))
               or c == "exploitability_pct"]
    lines = [f"{len(report.rows)} flops in {report.seconds:.1f} s; weighted means:"]
    lines += [f"  {c:<24} {report.weighted_mean(c):.4f}" for c in columns]
    return "\n".join(lines)


def run(arguments: Sequence[str]) -> int:
    options = _parser().parse_args(list(arguments))
    if options.parquet:  # said before the run, not after it
        try:
            import pyarrow  # type: ignore[import-untyped,unused-ignore]  # noqa: F401
        except ImportError:
            print(f"oddsmith report: --parquet needs pyarrow: {CLUSTER_EXTRA}", file=sys.stderr)
            return 2
    sizes: Dict[str, Any] = {}
    for street in _STREETS:
        for what in ("bets", "raises"):
            value: Optional[str] = getattr(options, f"{street}_{what}")
            if value is not None:
                sizes[f"{street}_{what}"] = value if value.lower() != "none" else None
    if options.max_raises is not None:
        sizes["max_raises"] = options.max_raises
    if options.donk:
        sizes["donk"] = True
    client: Any = None
    if options.scheduler:
        try:
            import distributed  # type: ignore[import-untyped,unused-ignore]
        except ImportError:
            print(f"oddsmith report: --scheduler needs dask.distributed: {CLUSTER_EXTRA}", file=sys.stderr)
            return 2
        try:
            client = cast(Any, distributed).Client(options.scheduler)
        except OSError as error:
            print(f"oddsmith report: no Dask scheduler answers at {options.scheduler}: {error}", file=sys.stderr)
            return 1
    try:
        report = aggregate(options.oop, options.ip, flops=options.flops, kind="equity" if options.equity else "solve",
                           pot=options.pot, stack=options.stack, game=options.game, dead=options.dead,
                           target=options.target, max_iterations=options.max_iterations, threads=options.threads,
                           workers=options.workers, client=client, retries=options.retries,
                           progress=not options.quiet and sys.stderr.isatty(), **sizes)
    except (ValueError, TypeError) as error:
        print(f"oddsmith report: {error}", file=sys.stderr)
        return 2
    finally:
        if client is not None:
            client.close()
    text = report.to_csv(options.csv)
    if not options.csv:
        sys.stdout.write(text)
    if options.parquet:
        report.to_parquet(options.parquet)
    if options.svg:
        with open(options.svg, "w") as f:
            f.write(report.to_svg())
    print(_summary(report), file=sys.stderr)
    for flop, why in report.failed.items():
        print(f"oddsmith report: flop {flop} failed after {options.retries} retries: {why}", file=sys.stderr)
    return 1 if report.failed else 0


def main(arguments: Optional[List[str]] = None) -> int:
    return run(sys.argv[1:] if arguments is None else arguments)
