"""Hand evaluation: one hand (text or card numbers) or many at once."""
import array
import itertools
import numbers
from typing import TYPE_CHECKING, Any, Dict, Iterable, List, Optional, Protocol, Sequence, Sized, Tuple, Union

from ._facts import BEST_HAND, GAME_SHORTDECK, NO_LOW, SHORTDECK_WORST_HAND, WORST_HAND
from ._library import core as _core
from .cards import Cards, hand_cards, name
from .ranges import GAMES

if TYPE_CHECKING:
    import numpy
    import numpy.typing
    Values = Union["numpy.typing.NDArray[numpy.int32]", "array.array[int]"]
    Hands = Union["numpy.typing.ArrayLike", "array.array[int]", memoryview, Sequence[Sequence[int]], Sequence[int]]
else:
    Values = Hands = object


def category(value: int, game: str = "holdem") -> str:
    """The library's name of the category of a hand value ("Straight flush" ..
    "High card"): BEST_HAND..WORST_HAND (every game's high values), or for
    game="shortdeck" 1..SHORTDECK_WORST_HAND, its flush above its full house."""
    if not isinstance(game, str) or game not in GAMES:
        raise ValueError(f"game must be one of {', '.join(GAMES)}, got {game!r}")
    named = None
    if isinstance(value, int) and not isinstance(value, bool) and -2**31 <= value < 2**31:
        named = _core._category_name(GAMES[game], value)
    if named is None:
        worst = SHORTDECK_WORST_HAND if GAMES[game] == GAME_SHORTDECK else WORST_HAND
        raise ValueError(f"{value!r} is not a hand value ({BEST_HAND} to {worst})")
    return str(named)


# The games evaluate values, from the library's table: name, number, and the
# card counts of a hand (Omaha's hole cards first, then the board); the Hi/Lo
# games, which it does not value alone, are left out.
_EVALUATION_GAMES: Dict[str, int] = {}
_HAND_SIZES: Dict[int, Tuple[int, ...]] = {}
for _game in _core._games():
    if _game[11]:
        _EVALUATION_GAMES[_game[1]] = _game[0]
        _HAND_SIZES[_game[0]] = tuple(_game[11])
_DECK = {game[0]: (game[3], game[7]) for game in _core._games()}  # title, lowest card


def _evaluation_game(game: str) -> int:
    if not isinstance(game, str) or game not in _EVALUATION_GAMES:
        raise ValueError(f"game must be one of {', '.join(_EVALUATION_GAMES)}, got {game!r}")
    return _EVALUATION_GAMES[game]


_RANK_WORDS = ("deuce", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "jack", "queen", "king", "ace")


def _evaluate_slow(hand: Cards, game: str = "holdem") -> int:
    """Every form of a hand, with the errors that name the fault: the compiled
    evaluate calls this for whatever its quick path does not take."""
    game_id = _evaluation_game(game)
    c = hand_cards(hand, _HAND_SIZES[game_id], "the hand")
    title, lowest = _DECK[game_id]
    low = [name(x) for x in c if x < lowest]
    if low:
        raise ValueError(f"{title} has no card below the {_RANK_WORDS[lowest // 4]} ({name(lowest)} .. As), got {low[0]}")
    return int(_core._value(c, game_id))


_core._set_slow_evaluate(_evaluate_slow)


class _Evaluate(Protocol):
    def __call__(self, hand: Cards, game: str = "holdem") -> int: ...


# The value (BEST_HAND best .. WORST_HAND worst) of the best five cards among 5
# to 7 different cards, given as text ("As Ks Qs Js Ts", "AsKs..."), as a list of
# card texts (["As", "Ks", ...]) or as card numbers (rank * 4 + suit, 2c = 0 ..
# As = 51); game="shortdeck" for the 36-card deck (1 .. SHORTDECK_WORST_HAND, a
# flush above a full house, A-6-7-8-9 the lowest straight); game="omaha5" for
# five-card Omaha (five hole cards, then the five board cards: two of the hole
# with three of the board; "omaha" the same with four hole cards). Compiled: a
# call costs about what a Python call does.
evaluate: _Evaluate = _core.evaluate


def _omaha(hole: Cards, board: Cards) -> List[int]:
    h = hand_cards(hole, (4,), "the hole")
    b = hand_cards(board, (5,), "the board")
    shared = set(h) & set(b)
    if shared:
        raise ValueError(f"card {name(min(shared))} is both in the hole and on the board")
    return h + b


def omaha_high(hole: Cards, board: Cards) -> int:
    """Omaha high value: exactly two of the four hole cards with three of the five board cards."""
    return int(_core._omaha(_omaha(hole, board), False))


def omaha_low(hole: Cards, board: Cards) -> Optional[int]:
    """Omaha eight-or-better low value (31 best .. 248 worst), or None without a low."""
    value = int(_core._omaha(_omaha(hole, board), True))
    return None if value == NO_LOW else value


_INT32 = ("i", "=i", "<i", "l", "=l", "<l")


def _from_lists(hands: Union[List[Any], Tuple[Any, ...]], cards_per_hand: Optional[int],
                sizes: "tuple[int, ...]") -> "tuple[Any, int, int, bool]":
    """The cards of a list of hands (each a sequence of card numbers), or of one
    flat list with cards_per_hand given, as evaluate_many's flat int32 buffer."""
    rows = list(hands)
    if rows and isinstance(rows[0], numbers.Integral):
        flat = _card_list(rows)
        return _as_int32_cards(flat, cards_per_hand, sizes)  # checked as any flat buffer
    per_hand = len(rows[0]) if rows and isinstance(rows[0], Sized) else cards_per_hand
    for i, row in enumerate(rows):
        if isinstance(row, (str, bytes)) or not isinstance(row, Sized) or len(row) != per_hand:
            raise ValueError(f"evaluate_many needs every hand as a list of {per_hand} card numbers, "
                             f"got hand {i + 1}: {row!r}")
    if cards_per_hand not in (None, per_hand):
        raise ValueError(f"cards_per_hand {cards_per_hand!r} does not match the hands' {per_hand} cards")
    if per_hand is not None and per_hand not in sizes:
        raise ValueError(f"evaluate_many takes hands of {' or '.join(map(str, sizes))} cards here, got {per_hand}")
    return _card_list(itertools.chain.from_iterable(rows)), len(rows), per_hand or sizes[0], False


def _card_list(cards: Iterable[Any]) -> "array.array[int]":
    """Card numbers (ints, NumPy's integers; not booleans or floats) as int32, a
    number no card has becoming -1, a bad card, rather than a wrapped value."""
    flat = list(cards)
    if any(type(c) is not int for c in flat):
        bad = [c for c in flat if isinstance(c, bool) or not isinstance(c, numbers.Integral)]
        if bad:
            raise ValueError(f"evaluate_many needs integer card numbers, got {bad[0]!r}")
        flat = [int(c) for c in flat]
    if flat and (min(flat) < 0 or max(flat) > 51):
        flat = [c if 0 <= c <= 51 else -1 for c in flat]
    return array.array("i", flat)


def _as_int32_cards(buffer: Any, cards_per_hand: Optional[int], sizes: "tuple[int, ...]") -> "tuple[Any, int, int, bool]":
    """(flat int32 card buffer, hand count, cards per hand, whether the input was NumPy's)."""
    if isinstance(buffer, (list, tuple)):
        return _from_lists(buffer, cards_per_hand, sizes)
    is_numpy = type(buffer).__module__.split(".")[0] == "numpy"
    if is_numpy:
        import numpy
        if buffer.dtype.kind not in "iu":
            raise ValueError(f"evaluate_many needs integer card numbers, got an array of {buffer.dtype}")
        shape = buffer.shape
    else:
        view = memoryview(buffer)
        if view.format.lstrip("@=<>!") not in "bBhHiIlLqQnN" or len(view.format.lstrip("@=<>!")) != 1:
            raise ValueError(f"evaluate_many needs integer card numbers, got a buffer of format {view.format!r}")
        shape = view.shape or (0,)
    if len(shape) == 2:
        count, per_hand = shape
        if cards_per_hand not in (None, per_hand):
            raise ValueError(f"cards_per_hand {cards_per_hand!r} does not match the array's {per_hand} columns")
    elif len(shape) == 1:
        per_hand = cards_per_hand
        if per_hand not in sizes:
            raise ValueError(f"a flat buffer needs cards_per_hand={' or '.join(map(str, sizes))}")
        if shape[0] % per_hand:
            raise ValueError(f"a flat buffer of {shape[0]} cards is not whole hands of {per_hand}")
        count = shape[0] // per_hand
    else:
        raise ValueError(f"evaluate_many needs an n x 5, 6 or 7 array of card numbers, got {len(shape)} dimensions")
    if per_hand not in sizes:
        raise ValueError(f"evaluate_many takes hands of {' or '.join(map(str, sizes))} cards here, got {per_hand} columns")
    if is_numpy:
        flat = buffer.reshape(-1)
        if flat.dtype != numpy.int32 or not flat.flags.c_contiguous:
            # Other widths and strides are converted; numbers no card has become -1 (never a card), not a wrapped value.
            flat = numpy.where((flat < 0) | (flat > 51), -1, flat).astype(numpy.int32)
        return flat, count, per_hand, True
    if view.format in _INT32 and view.itemsize == 4 and view.c_contiguous:
        return view.cast("B").cast("i"), count, per_hand, False
    numbers = view.cast("B").cast(view.format.lstrip("@=<>!")).tolist()  # type: ignore[call-overload]
    converted = array.array("i", (c if 0 <= c <= 51 else -1 for c in numbers))
    return converted, count, per_hand, False


def evaluate_many(hands: Hands, cards_per_hand: Optional[int] = None, game: str = "holdem") -> Values:
    """Values of many hands in one call, without the GIL: `hands` is an n x 5, 6
    or 7 array of card numbers (NumPy, any integer type, any strides), a list of
    hands each a list or tuple of card numbers, or a flat buffer (array.array,
    memoryview, a list of ints) with cards_per_hand given. Anything but
    C-contiguous 32-bit ints is converted first (a copy). Returns n values as
    int32 (a NumPy array for NumPy input, else array.array('i')); a hand with
    a card outside 0..51 or a repeated card gets 0 (game="shortdeck": short-deck
    values, 0 for a card below the six too; game="omaha5": n x 10, five hole
    cards then the board, "omaha": n x 9)."""
    game_id = _evaluation_game(game)
    flat, count, per_hand, is_numpy = _as_int32_cards(hands, cards_per_hand, _HAND_SIZES[game_id])
    if is_numpy:
        import numpy
        out: Any = numpy.empty(count, dtype=numpy.int32)
    else:
        out = array.array("i", bytes(4 * count))
    if count:
        _core._evaluate_many(flat, per_hand, out, game_id)
    return out  # type: ignore[no-any-return]
