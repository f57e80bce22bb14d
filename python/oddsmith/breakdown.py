"""A range on a board, hand by hand: each hand's equity against the other
players, what it holds and draws to, the range summed by category and draw, and
every player's equity after each card that can come next."""
import warnings
from dataclasses import dataclass
from typing import Any, Iterable, List, Optional, SupportsIndex, Tuple

from ._facts import STATUS_CANCELLED, STATUS_NO_MEMORY, STATUS_TARGET_NOT_MET
from ._library import core
from .calculator import Progress, _checked, _Reporter
from .cards import Board, name, parse_cards


@dataclass(frozen=True)
class BreakdownHand:
    hand: str                # "AhKh", as the library writes hands
    weight: float
    equity: float            # against the other players given this hand
    category: Optional[str]  # what its own cards make: "Straight flush" .. "Top pair" .. "Nothing"; None before the flop
    draws: List[str]         # flop and turn: "nut flush draw", "OESD", "gutshot", "wrap", "low draw", ...
    low: Optional[str] = None  # Hi/Lo: "Nut low", "2nd-nut low" or "Other low"; None without a low


@dataclass(frozen=True)
class BreakdownRow:
    name: str
    combos: float  # weighted
    share: float   # of the range's weight
    equity: float  # average


@dataclass(frozen=True)
class NextCard:
    card: str
    equities: List[float]  # one per player
    # Shares of the first range (by weight, of its hands not holding the card)
    # whose draw the card completes: flush draws made flushes, straight draws
    # straights, and in Hi/Lo low draws lows (0 in other games).
    flush: float = 0.0
    straight: float = 0.0
    low: float = 0.0


@dataclass(frozen=True)
class Breakdown:
    game: str
    board: str
    players: List[str]
    exact: bool
    deals: int
    seed: int
    hands: List[BreakdownHand]        # best equity first: the equity distribution
    categories: List[BreakdownRow]    # made hands, strongest first ("Set", "Top pair", ..., "Nothing")
    draws: List[BreakdownRow]
    next_cards: List[NextCard]        # empty on a river board
    target_met: bool = True           # False: some simulated part fell short at the time bound (a RuntimeWarning says so)
    lows: Optional[List[BreakdownRow]] = None  # Hi/Lo: lows made, low draws, no low

    def to_svg(self) -> str:
        """The breakdown as an SVG picture: the equity distribution, what the
        range holds and every player's equity after each next card; byte for
        byte what `oddsmith breakdown ... --svg` writes for the same run."""
        def rows(table: Optional[List[BreakdownRow]]) -> List[Tuple[str, float, float]]:
            return [(row.name, row.share, row.equity) for row in table or []]
        picture: str = core._breakdown_svg(
            self.game, self.board, list(self.players), self.exact, self.deals,
            [(hand.weight, hand.equity) for hand in self.hands], rows(self.categories), rows(self.lows),
            rows(self.draws),
            [(parse_cards(card.card, 1, "next card")[0], list(card.equities)) for card in self.next_cards])
        return picture


def breakdown(players: Iterable[str], board: Optional[Board] = None, dead: Optional[Board] = None,
              game: str = "holdem", exact: Optional[bool] = None, trials: Optional[SupportsIndex] = None,
              stderr: Optional[float] = None, seed: Optional[SupportsIndex] = None,
              threads: Optional[SupportsIndex] = None,
              max_seconds: Optional[float] = None, progress: Progress = None) -> Breakdown:
    """The first player's range on the board, hand by hand, against the others.
    Takes what equity() takes; exact when that is quick, else seeded Monte Carlo
    (trials per hand). max_seconds bounds the whole breakdown: work that cannot
    fit raises ValueError at once with its estimate, and simulated parts cut
    short by the bound (or short of `stderr`) give a RuntimeWarning and
    target_met=False, every hand still there. Ctrl-C stops it (KeyboardInterrupt)."""
    arguments = _checked(players, board, dead, game, exact, trials, stderr, seed, threads, max_seconds)
    texts, board_text = arguments[0], arguments[1]
    with _Reporter(progress) as reporter:
        # The compiled part checks for Ctrl-C and calls the reporter with the GIL
        # held, and raises what either raised once the run has stopped.
        # (made, status, message, then when made: exact, deals, seed, hands, categories, draws, next cards, lows)
        run: Tuple[Any, ...] = core._breakdown(*arguments, reporter.callback)
    made, status, message = run[:3]
    if not made:
        if status == STATUS_NO_MEMORY:
            raise MemoryError(message)
        if status == STATUS_CANCELLED:
            raise KeyboardInterrupt(message)
        raise ValueError(message)
    is_exact, deals, used_seed, hands, categories, draws, next_cards, lows = run[3:]
    if status == STATUS_TARGET_NOT_MET:
        warnings.warn(message, RuntimeWarning, stacklevel=2)
    return Breakdown(
        game, "".join(name(c) for c in parse_cards(board_text, what="board")), texts, is_exact, deals, used_seed,
        [BreakdownHand(text, weight, equity, made, draws.split(", ") if draws else [], low)
         for text, weight, equity, made, draws, low in hands],
        [BreakdownRow(*row) for row in categories], [BreakdownRow(*row) for row in draws],
        [NextCard(card, list(equities), flush, straight, low) for card, equities, flush, straight, low in next_cards],
        status != STATUS_TARGET_NOT_MET,
        [BreakdownRow(*row) for row in lows] if lows else None)


__all__ = ["Breakdown", "BreakdownHand", "BreakdownRow", "NextCard", "breakdown"]

