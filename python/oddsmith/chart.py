"""Each starting-hand class of a two-card game against one hand or range: the
numbers `oddsmith chart` shows, from the same code, and its picture."""
from dataclasses import dataclass
from typing import Any, Dict, Optional, SupportsIndex, Tuple

from ._library import core
from .calculator import Progress, _checked, _Reporter
from .cards import Board, name, parse_cards
from .ranges import GAMES


@dataclass(frozen=True)
class Chart:
    game: str      # the library's name: "holdem" or "shortdeck"
    opponent: str
    board: str     # as the library names its cards: "Qh7c2d", "" for none
    # "AA", "AKs", "72o", ... -> equity against the opponent, row by row of the
    # chart (ace first; Hold'em 13 x 13, short deck 9 x 9); None where the class
    # cannot play (its cards are on the board or dead)
    classes: Dict[str, Optional[float]]

    def to_svg(self) -> str:
        """The chart as an SVG picture, byte for byte what `oddsmith chart ... --svg` writes."""
        if self.game not in GAMES:
            raise ValueError(f"game must be holdem or shortdeck, got {self.game!r}")
        picture: str = core._chart_svg(GAMES[self.game], self.opponent, self.board, self.classes)
        return picture


def chart(opponent: str, board: Optional[Board] = None, game: str = "holdem", dead: Optional[Board] = None,
          threads: Optional[SupportsIndex] = None, progress: Progress = None) -> Chart:
    """The equity of each starting-hand class against `opponent` (a hand or
    range), as `oddsmith chart` computes it: against "random" with no board or
    dead cards the exact equities compiled in, else the calculator per class,
    exact where that is quick and otherwise simulated to a standard error of
    0.25 % with seed 1, so a chart comes out the same each time. game is
    "holdem" or "shortdeck". ValueError when no class can play; Ctrl-C stops it
    (KeyboardInterrupt)."""
    if not isinstance(opponent, str):
        raise ValueError(f"the opponent is a hand or range as text, got {type(opponent).__name__} {opponent!r}")
    arguments = _checked([opponent], board, dead, game, None, None, None, None, threads, None)
    board_text, dead_text, number, threads_count = arguments[1], arguments[2], arguments[3], arguments[8]
    facts = [g for g in core._games() if g[0] == number][0]
    if facts[4] != 2:
        raise ValueError(f"a chart is for the two-card games: holdem or shortdeck, got {game!r}")
    with _Reporter(progress) as reporter:
        run: Tuple[Any, ...] = core._chart(opponent, board_text, dead_text, number, threads_count, reporter.callback)
    made, message, classes = run
    if not made:
        raise ValueError(message)
    return Chart(facts[1], opponent, "".join(name(c) for c in parse_cards(board_text, what="board")),
                 {label: equity for label, equity in classes})


__all__ = ["Chart", "chart"]
