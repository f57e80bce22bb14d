"""The public API as a typed program uses it; CI checks it with `mypy --strict`
against the installed package, so every public signature stays fully typed."""
from typing import List, Optional, Tuple

import oddsmith


def best_of(hands: List[str]) -> int:
    return min(oddsmith.evaluate(h) for h in hands)


def preflop(hero: str, villain: str, seed: Optional[int] = None) -> float:
    result: oddsmith.EquityResult = oddsmith.equity([hero, villain], board=["Qh", "7c", "2d"], trials=1000, seed=seed)
    first: oddsmith.PlayerEquity = result.players[0]
    return first.equity + first.high_equity - first.low_equity


def hands_in(notation: str) -> int:
    pairs = oddsmith.parse_range(notation, game="omaha")
    weights: List[float] = [w for _, w in pairs]
    on_board = oddsmith.parse_range("QQ+, AKs where toppair+", board=["Qh", 29, "2d"])
    texts: List[str] = [hand for hand, _ in oddsmith.parse_range_text(notation, board="Qh7c2d")]
    return len(weights) + len(oddsmith.expand("QQ+")) + len(on_board) + len(texts)


def host(hand: str) -> int:
    oddsmith.set_holdem_range(1, "QQ+, AKs", seed=1)
    per_mille: int = oddsmith.holdem_equity(hand, board="Qh7c2d", opponents=1, range_slot=1).per_mille
    low: Optional[int] = oddsmith.omaha_low("4s5s9c9d", "Ac2d3hKcKd")
    return per_mille + (low or 0) + len(oddsmith.category(oddsmith.omaha_high("AcAdAhAs", "KcKdQhQsJc")))


def card_texts(text: str) -> str:
    numbers: List[int] = oddsmith.parse_cards(text)
    first: str = oddsmith.card_text(numbers[0])
    return first + oddsmith.cards_text(numbers) + oddsmith.cards_text(tuple(numbers), highest_first=True)


def values_of(hands: List[List[int]]) -> int:
    return len(oddsmith.evaluate_many(hands)) + len(oddsmith.evaluate_many([c for h in hands for c in h], 7))


def with_progress(shares: List[float]) -> float:
    return oddsmith.equity(["AhKh", "QsQd"], progress=shares.append).players[0].equity


def pictures(opponent: str) -> str:
    chart: oddsmith.Chart = oddsmith.chart(opponent, board="Qh7c2d", game="holdem", dead=None, threads=1)
    equities: List[float] = [e for e in chart.classes.values() if e is not None]
    drawn: str = chart.to_svg() + oddsmith.breakdown([opponent, "random"], board="Qh7c2d").to_svg()
    return drawn + str(len(equities)) + chart.game + chart.opponent + chart.board


def tournament(stacks: List[float]) -> str:
    prizes: oddsmith.IcmResult = oddsmith.icm(stacks, [50, 30, 20], seed=3, samples=1000)
    players: List[oddsmith.IcmPlayer] = prizes.players
    result: oddsmith.PushFoldResult = oddsmith.pushfold([10, 10], blinds=(0.5, 1), ante=0.1, payouts=[65, 35])
    spot: oddsmith.PushFoldSpot = result.spots[0]
    prize: Optional[float] = result.players[0].ev_prize
    chart: oddsmith.PushFoldChart = oddsmith.pushfold_chart(largest=10, step=1)
    return spot.range + str(players[0].equity + (prize or 0.0) + spot.strategy["AA"]) + chart.to_svg()


def solver(oop: str, ip: str) -> str:
    solution: oddsmith.Solution = oddsmith.solve(oop, ip, board="Qs Jh 2h 8d 3c", pot=100, stack=200,
                                                 river_bets=("50%, 100%", "75%"), max_raises=None, rake=(0.05, 3))
    root: oddsmith.Node = solution.node()
    acting: Optional[oddsmith.RangeAtNode] = root.acting
    first: oddsmith.Action = root.actions[0]
    shares: float = float(root.strategy.sum()) if root.strategy is not None else 0.0
    tree: oddsmith.TreeInfo = oddsmith.solve_tree(oop, ip, board="Qs Jh 2h", pot=60, stack=170, depth=1)
    evs: float = solution.ev[0] + float(acting.ev[0] if acting is not None else 0.0)
    return first.name + str(shares + evs + solution.exploitability_pct) + tree.text + root.to_svg()


def flops_report(oop: str, ip: str) -> str:
    weighted: List[Tuple[str, int]] = oddsmith.flop_set("49")
    report: oddsmith.Report = oddsmith.aggregate(oop, ip, flops=weighted[:2], pot=20, stack=40, river_bets="50%",
                                                 client=None, progress=lambda done, total, flop: None)
    equity: oddsmith.Report = oddsmith.aggregate(oop, ip, flops="As Kd 2c", kind="equity")
    mean: float = report.weighted_mean("oop_ev") + equity.weighted_mean("oop_equity")
    return report.to_csv() + report.to_svg() + str(mean) + str(report.failed)
