"""One spot over many flops: solved on each (the root's action frequencies, both
players' EVs and equities, exploitability) or, with kind="equity", each
range's equity and made-hand categories from the breakdown; each flop with the
weight of the flops it stands for. Runs on this machine's cores, or on a Dask
cluster given a `distributed.Client`: one task per flop, results in flop order.

    report = oddsmith.aggregate("QQ-22, AQs+", "AA-22, AKo", flops="49", pot=60, stack=170,
                                flop_bets="33%", turn_bets="75%", river_bets="100%", target=1)
    report.rows[0]["freq check"], report.weighted_mean("oop_ev")
    report.to_csv("flops.csv"); report.to_parquet("flops.parquet"); open("f.svg", "w").write(report.to_svg())
"""
import os
import sys
import time
import uuid
from concurrent.futures import ThreadPoolExecutor, as_completed
from dataclasses import dataclass, field
from typing import Any, Callable, Dict, List, Optional, Sequence, Tuple, Union, cast

from .breakdown import breakdown
from .calculator import equity
from .flops import describe, flop_set
from .solver import solve, solve_tree
from .report_svg import report_svg

CLUSTER_EXTRA = "pip install 'oddsmith[cluster]'"
KINDS = ("solve", "equity")
# Flops: a set's name ("all", "184", "95", "49"), flop texts separated by commas,
# or a list of flop texts or of (flop text, weight) pairs.
Flops = Union[str, Sequence[str], Sequence[Tuple[str, int]]]
# progress: True prints a line on standard error as flops finish; a callable
# gets (flops done, flops in all, the flop just done).
ReportProgress = Union[bool, None, Callable[[int, int, str], object]]


@dataclass(frozen=True)
class _Job:
    """What each flop's task needs: picklable, so a cluster's workers get it whole."""
    kind: str
    oop: str
    ip: str
    game: str
    dead: str
    pot: int
    stack: int
    target: float
    max_iterations: int
    threads: int
    options: Tuple[Tuple[str, Any], ...]


def _flop_row(flop: str, weight: int, job: _Job) -> Dict[str, Any]:
    """One flop's row: the task a worker runs."""
    high, texture = describe(flop)
    row: Dict[str, Any] = {"flop": flop, "weight": weight, "high": high, "texture": texture}
    if job.kind == "equity":
        # The ranges' equity over every deal (seeded where it is simulated), and each range's made hands.
        both = equity([job.oop, job.ip], board=flop, dead=job.dead or None, game=job.game, seed=1,
                      threads=job.threads)
        row["oop_equity"], row["ip_equity"] = both.players[0].equity, both.players[1].equity
        for position, players in (("oop", [job.oop, job.ip]), ("ip", [job.ip, job.oop])):
            summary = breakdown(players, board=flop, dead=job.dead or None, game=job.game, seed=1, threads=job.threads)
            for category in summary.categories:
                row[f"{position} {category.name}"] = category.share
        return row
    solution = solve(job.oop, job.ip, board=flop, pot=job.pot, stack=job.stack, game=job.game, dead=job.dead,
                     target=job.target, max_iterations=job.max_iterations, threads=job.threads, **dict(job.options))
    for action in solution.node().actions:
        row[f"freq {action}"] = action.frequency
    row.update({"oop_ev": solution.ev[0], "ip_ev": solution.ev[1], "oop_equity": solution.equity[0],
                "ip_equity": solution.equity[1], "exploitability_pct": solution.exploitability_pct,
                "iterations": solution.iterations, "seconds": solution.seconds})
    return row


def _made_hand_names() -> List[str]:
    """The library's made-hand categories, strongest first, as the breakdown names them."""
    import ctypes

    from . import load
    library = load()
    names = []
    for made in range(31, -1, -1):
        text = ctypes.create_string_buffer(64)
        if library.oddsmith_made_hand_name(made, text, len(text)) >= 0:
            names.append(text.value.decode())
    return names


def _columns(kind: str, rows: Sequence[Dict[str, Any]]) -> List[str]:
    """Every row's columns in the order they first appear; an equity report's
    categories OOP's then IP's, each strongest first."""
    columns: List[str] = []
    for row in rows:
        columns.extend(name for name in row if name not in columns)
    if kind == "equity":
        order = _made_hand_names()
        named = [c for c in columns if c.startswith(("oop ", "ip "))]
        named.sort(key=lambda c: (c.startswith("ip "), order.index(c.split(" ", 1)[1])
                                  if c.split(" ", 1)[1] in order else len(order)))
        columns = [c for c in columns if c not in named] + named
    return columns


@dataclass
class Report:
    """The rows of a report in flop order (absent cells: a category a flop has
    none of reads 0.0), the flops whose task failed after its retries with the
    error, and the seconds the whole run took."""
    kind: str
    columns: List[str]
    rows: List[Dict[str, Any]]
    failed: Dict[str, str] = field(default_factory=dict)
    seconds: float = 0.0

    def column(self, name: str) -> List[Any]:
        return [row.get(name, 0.0) for row in self.rows]

    def weighted_mean(self, name: str) -> float:
        """A column's mean over the flops, each counted with its weight."""
        total = sum(row["weight"] for row in self.rows)
        return sum(row["weight"] * float(row.get(name, 0.0)) for row in self.rows) / total if total else float("nan")

    def to_csv(self, path: Optional[str] = None) -> str:
        """The rows as CSV (a header line, numbers at full precision), written to `path` when given."""
        import csv
        import io
        out = io.StringIO()
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(self.columns)
        for row in self.rows:
            writer.writerow([repr(v) if isinstance(v, float) else v for v in (row.get(c, 0.0) for c in self.columns)])
        text = out.getvalue()
        if path is not None:
            with open(path, "w", newline="") as f:
                f.write(text)
        return text

    def to_parquet(self, path: str) -> None:
        """The rows as a Parquet file (pyarrow: the cluster extra)."""
        try:
            import pyarrow  # type: ignore[import-untyped,unused-ignore]
            import pyarrow.parquet  # type: ignore[import-untyped,unused-ignore]
        except ImportError:
            raise ImportError(f"Parquet files are written with pyarrow, which is not installed: {CLUSTER_EXTRA}") from None
        table = pyarrow.table({c: self.column(c) for c in self.columns})
        pyarrow.parquet.write_table(table, path)

    def to_svg(self, title: Optional[str] = None) -> str:
        """A chart of the flops as stacked columns, grouped by high card and
        texture: the root's action frequencies (solve) or OOP's made-hand
        categories (equity), with the weighted means in the legend."""
        return report_svg(self, title)


def _job(kind: str, oop: str, ip: str, game: str, dead: str, pot: Optional[int], stack: Optional[int], target: float,
         max_iterations: int, threads: int, options: Dict[str, Any], first: str) -> _Job:
    if kind not in KINDS:
        raise ValueError(f"kind must be one of {', '.join(KINDS)}, got {kind!r}")
    if kind == "solve":
        if pot is None or stack is None:
            raise ValueError("a solve report needs the pot and the stack")
        # The spot checked once here, on the first flop, so that a bad range or size fails at once.
        solve_tree(oop, ip, board=first, pot=pot, stack=stack, game=game, dead=dead, threads=threads, **options)
    elif options:
        raise ValueError(f"an equity report takes no solver options, got {', '.join(sorted(options))}")
    return _Job(kind, oop, ip, game, dead, pot or 0, stack or 0, target, max_iterations, threads,
                tuple(sorted(options.items())))


def _flop_list(flops: Flops) -> List[Tuple[str, int]]:
    if isinstance(flops, str):
        return flop_set(flops)
    out: List[Tuple[str, int]] = []
    for item in flops:
        if isinstance(item, str):
            out.extend(flop_set(item))
        else:
            text, weight = item
            out.append((flop_set(text)[0][0], int(weight)))
    if not out:
        raise ValueError("no flops given")
    return out


def _reporter(progress: ReportProgress, total: int) -> Callable[[int, str], None]:
    if callable(progress):
        callback = progress

        def call(done: int, flop: str) -> None:
            callback(done, total, flop)
        return call
    if progress is True:
        def line(done: int, flop: str) -> None:
            sys.stderr.write(f"\rreport: {done}/{total} flops ({flop})" + ("\n" if done == total else ""))
            sys.stderr.flush()
        return line
    if progress not in (False, None):
        raise ValueError(f"progress must be True, False, None or a callable, got {progress!r}")
    return lambda done, flop: None


def _run_local(flops: List[Tuple[str, int]], job: _Job, workers: int, retries: int,
               report: Callable[[int, str], None]) -> List[Union[Dict[str, Any], BaseException]]:
    def task(flop: str, weight: int) -> Union[Dict[str, Any], BaseException]:
        error: BaseException = RuntimeError("not run")
        for _ in range(retries + 1):
            try:
                return _flop_row(flop, weight, job)
            except Exception as failed:  # tried again, then reported with the flop
                error = failed
        return error
    with ThreadPoolExecutor(max_workers=workers) as pool:  # the solver and the calculator release the GIL
        futures = [pool.submit(task, flop, weight) for flop, weight in flops]
        flop_of = {future: flop for future, (flop, _) in zip(futures, flops)}
        for done, future in enumerate(as_completed(futures), 1):
            report(done, flop_of[future])
        return [future.result() for future in futures]


def _run_cluster(client: Any, flops: List[Tuple[str, int]], job: _Job, retries: int,
                 report: Callable[[int, str], None]) -> List[Union[Dict[str, Any], BaseException]]:
    try:
        import distributed  # type: ignore[import-untyped,unused-ignore]
    except ImportError:
        raise ImportError(f"a report on a Dask cluster needs dask.distributed: {CLUSTER_EXTRA}") from None
    completed: Any = cast(Any, distributed).as_completed
    run = uuid.uuid4().hex[:8]
    futures = client.map(_flop_row, [f for f, _ in flops], [w for _, w in flops], [job] * len(flops),
                         key=[f"oddsmith-{job.kind}-{run}-{i}-{f}" for i, (f, _) in enumerate(flops)],
                         retries=retries, pure=False)
    flop_of = {future.key: flop for future, (flop, _) in zip(futures, flops)}
    for done, future in enumerate(completed(futures), 1):
        report(done, flop_of[future.key])
    results: List[Union[Dict[str, Any], BaseException]] = []
    for future in futures:
        results.append(future.result() if future.status == "finished" else future.exception())
    client.cancel(futures)
    return results


def aggregate(oop: str, ip: str, *, flops: Flops = "49", kind: str = "solve", pot: Optional[int] = None,
              stack: Optional[int] = None, game: str = "holdem", dead: str = "", target: float = 0.5,
              max_iterations: int = 1000, threads: int = 1, workers: Optional[int] = None, client: Any = None,
              retries: int = 2, progress: ReportProgress = False, **solve_options: Any) -> Report:
    """One spot on every flop of a set, each flop with its weight.

    kind="solve" solves OOP's and IP's ranges with `pot`, `stack` and what
    oddsmith.solve takes (flop_bets="33%", turn_bets=..., donk=..., to
    `target` percent of the pot), and gives per flop the root's action
    frequencies ("freq check", "freq bet 20"), both players' EVs and
    equities and the exploitability; kind="equity" gives each range's equity
    against the other and its shares of the made-hand categories ("oop Top
    pair"), no solving. flops: "all" (1,755), "184", "95", "49" (see
    oddsmith.flops), flop texts separated by commas, or a list.

    Each flop is one task with `threads` threads. Without `client` the tasks
    run on this machine, `workers` at a time (default: its cores); with a
    `distributed.Client` they run on its cluster (the cluster extra). A task
    that raises is run again up to `retries` times; a flop that still fails is
    left out of the rows and named in `failed` with its error. The rows come
    in flop order either way, and are the same either way."""
    items = _flop_list(flops)
    retries = int(retries)
    if retries < 0:
        raise ValueError(f"retries cannot be negative, got {retries}")
    job = _job(kind, oop, ip, game, dead, pot, stack, target, max_iterations, threads, solve_options, items[0][0])
    started = time.perf_counter()
    report = _reporter(progress, len(items))
    if client is None:
        results = _run_local(items, job, workers or os.cpu_count() or 1, retries, report)
    else:
        results = _run_cluster(client, items, job, retries, report)
    rows = [r for r in results if isinstance(r, dict)]
    failed = {flop: f"{type(r).__name__}: {r}" for (flop, _), r in zip(items, results) if not isinstance(r, dict)}
    return Report(kind, _columns(kind, rows), rows, failed, time.perf_counter() - started)


__all__ = ["Report", "aggregate", "CLUSTER_EXTRA", "KINDS"]
