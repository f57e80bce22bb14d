"""Range notation, read by the library's own parser (the grammar every surface
shares). Hold'em: "QQ+, AKs, AJo+, KQ, 76s-54s, TT-77, KTs-K7s, AhKh, 10%, 5-15%,
random"; Omaha: "AhAsKhKs, AAxx, AA, AAKKds, AKxxss, JT98rb, KK-TT, AA!AAA, 10%,
random"; five-card Omaha the same with five cards ("AAxxx", "AAKKds"); short
deck Hold'em's over ranks 6 to A; both also "Axs, Kxo, xx" (x: any rank), "AhXh"
(the ace of hearts with any other heart) and "22+!AA" (less the hands after
'!'). Any item may carry a weight from 0 to 1 as "AKs:0.5"; a hand named twice
counts once, with its last weight. On a board, a range may end in board
filters: "QQ+, AKs, 98s where toppair+, flushdraw" (made hands, weakest first:
nothing, weakerpair, secondpair, toppair, overpair, twopair, trips, set,
straight, flush, fullhouse, quads, straightflush; NAME+ for it or better; pair;
draws flushdraw, oesd, gutshot on a flop or turn; !NAME drops).
"""
import random
from typing import Dict, List, Optional, Sequence, Tuple

from ._facts import RANGE_HANDS as HANDS_PER_SLOT
from ._library import core
from .cards import Board, board_text

# Every game's names and aliases ("omaha-hilo", "hilo") and its number, from the
# library's table of games (oddsmith_game_info), in its order.
GAMES: Dict[str, int] = {}
for _game in core._games():
    GAMES[_game[1]] = _game[0]
    if _game[2]:
        GAMES[_game[2]] = _game[0]


def parse(notation: str, game: str = "holdem", board: Optional[Board] = None) -> List[Tuple[Tuple[int, ...], float]]:
    """The hands of a range as (cards, weight) pairs, cards ascending, in the
    order the text first names them. With a board (card text or a list of
    cards), the range's board filters are applied and hands holding a board card
    left out. Raises ValueError with the column and what was expected when the
    text is not range notation."""
    if game not in GAMES:
        raise ValueError(f"game must be one of {', '.join(GAMES)}, got {game!r}")
    if not isinstance(notation, str):
        raise ValueError(f"a range is text such as 'QQ+, AKs', got {type(notation).__name__} {notation!r}")
    if "\x00" in notation:
        raise ValueError(f"a range holds no NUL character, got {notation!r}")
    try:
        data = notation.encode("utf-8")
    except UnicodeEncodeError as bad:
        raise ValueError(f"a range is valid text, got {notation!r}: {bad.reason} at index {bad.start}") from None
    if len(data) > 2**31 - 1:
        raise ValueError(f"a range text is at most {2**31 - 1} bytes, got {len(data)}")
    cards_text = "" if board is None else board_text(board, "board")
    if "\x00" in cards_text:
        raise ValueError(f"a board holds no NUL character, got {cards_text!r}")
    made, hands, column, error = core._parse_range(data, GAMES[game], cards_text.encode("utf-8"))
    if not made:
        if column == 0:
            raise ValueError(f"bad range {notation!r}: {error}")
        at = len(data[:max(column - 1, 0)].decode("utf-8", "ignore")) + 1
        raise ValueError(f"bad range {notation!r} at column {at}: {error}")
    return [(tuple(cards), float(weight)) for cards, weight in hands]


def parse_text(notation: str, game: str = "holdem", board: Optional[Board] = None) -> List[Tuple[str, float]]:
    """parse() with each hand as the library writes it, highest card first:
    [("AsAh", 1.0), ...]."""
    from .cards import hand_text
    return [(hand_text(cards), weight) for cards, weight in parse(notation, game, board)]


def expand(notation: str, game: str = "holdem") -> List[Tuple[int, ...]]:
    """Every distinct hand of a range, as tuples of card numbers (weights dropped)."""
    return [hand for hand, _ in parse(notation, game)]


def sample_slot(hands: Sequence[Tuple[int, ...]], rng: Optional[random.Random] = None, size: int = HANDS_PER_SLOT,
                weights: Optional[Sequence[float]] = None) -> List[Tuple[int, ...]]:
    """`size` hands drawn from `hands` (by `weights` when given), each card order
    equally likely."""
    if not hands:
        raise ValueError("a range slot needs at least one hand")
    rng = rng or random.Random()
    out = []
    for chosen in rng.choices(hands, weights=weights, k=size):
        hand = list(chosen)
        rng.shuffle(hand)
        out.append(tuple(hand))
    return out


def describe(hand: Sequence[int]) -> str:
    """A hand's text as the library writes it, highest card first ("AhKh")."""
    from .cards import hand_text
    return hand_text(hand)
