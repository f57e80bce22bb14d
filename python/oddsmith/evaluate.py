"""Hand evaluation: one hand (text or card numbers) or many at once."""
import array
import ctypes
import sys
from typing import TYPE_CHECKING, Any, List, Optional, Protocol, Union

from . import _library
from ._facts import (BEST_HAND, CATEGORIES, GAME_HOLDEM, GAME_OMAHA, GAME_OMAHA5, GAME_SHORTDECK, NO_LOW, SHORTDECK_CATEGORIES,
                     SHORTDECK_LOWEST_CARD, SHORTDECK_WORST_HAND, WORST_HAND)
from .cards import Cards, hand_cards, name

if TYPE_CHECKING:
    import numpy
    import numpy.typing
    Values = Union["numpy.typing.NDArray[numpy.int32]", "array.array[int]"]
    Hands = Union["numpy.typing.ArrayLike", "array.array[int]", memoryview]
else:
    Values = Hands = object


def _lib() -> ctypes.CDLL:
    package = sys.modules[__package__]  # its handle, loaded on first use
    lib: ctypes.CDLL = package._lib or package.load()
    return lib


def category(value: int, game: str = "holdem") -> str:
    """The category name of a hand value ("Straight flush" .. "High card"):
    BEST_HAND..WORST_HAND (Omaha games too), or for game="shortdeck"
    1..SHORTDECK_WORST_HAND."""
    short = _evaluation_game(game) == GAME_SHORTDECK
    worst, table = (SHORTDECK_WORST_HAND, SHORTDECK_CATEGORIES) if short else (WORST_HAND, CATEGORIES)
    if isinstance(value, int) and not isinstance(value, bool) and BEST_HAND <= value <= worst:
        return [label for first, label in table if first <= value][-1]
    raise ValueError(f"{value!r} is not a hand value ({BEST_HAND} to {worst})")


_EVALUATION_GAMES = {"holdem": GAME_HOLDEM, "shortdeck": GAME_SHORTDECK, "omaha": GAME_OMAHA, "omaha5": GAME_OMAHA5}
# The cards a hand of each game has: Omaha's hole cards first, then the board.
_HAND_SIZES = {GAME_HOLDEM: (5, 6, 7), GAME_SHORTDECK: (5, 6, 7), GAME_OMAHA: (9,), GAME_OMAHA5: (10,)}


def _evaluation_game(game: str) -> int:
    if not isinstance(game, str) or game not in _EVALUATION_GAMES:
        raise ValueError(f"game must be one of {', '.join(_EVALUATION_GAMES)}, got {game!r}")
    return _EVALUATION_GAMES[game]


def _evaluate_slow(hand: Cards, game: str = "holdem") -> int:
    """Every form of a hand, with the errors that name the fault: the compiled
    evaluate calls this for whatever its quick path does not take."""
    game_id = _evaluation_game(game)
    c = hand_cards(hand, _HAND_SIZES[game_id], "the hand")
    if game_id == GAME_SHORTDECK:
        low = [name(x) for x in c if x < SHORTDECK_LOWEST_CARD]
        if low:
            raise ValueError(f"short deck has no card below the six (6c .. As), got {low[0]}")
    value = ctypes.c_int32()
    _lib().oddsmith_evaluate_game_many((ctypes.c_int32 * len(c))(*c), 1, game_id, len(c), ctypes.byref(value))
    return int(value.value)

_core = _library.extension()
if _core is not None:
    _core._set_slow_evaluate(_evaluate_slow)

class _Evaluate(Protocol):
    def __call__(self, hand: Cards, game: str = "holdem") -> int: ...


# The value (BEST_HAND best .. WORST_HAND worst) of the best five cards among 5
# to 7 different cards, given as text ("As Ks Qs Js Ts", "AsKs..."), as a list of
# card texts (["As", "Ks", ...]) or as card numbers (rank * 4 + suit, 2c = 0 ..
# As = 51); game="shortdeck" for the 36-card deck (1 .. SHORTDECK_WORST_HAND, a
# flush above a full house, A-6-7-8-9 the lowest straight); game="omaha5" for
# five-card Omaha (five hole cards, then the five board cards: two of the hole
# with three of the board; "omaha" the same with four hole cards). Compiled where the
# package's compiled part is built: a call then costs about what a Python call does.
evaluate: _Evaluate = _core.evaluate if _core is not None else _evaluate_slow


def _omaha(hole: Cards, board: Cards) -> List[int]:
    h = hand_cards(hole, (4,), "the hole")
    b = hand_cards(board, (5,), "the board")
    shared = set(h) & set(b)
    if shared:
        raise ValueError(f"card {name(min(shared))} is both in the hole and on the board")
    return h + b


def omaha_high(hole: Cards, board: Cards) -> int:
    """Omaha high value: exactly two of the four hole cards with three of the five board cards."""
    return int(_lib().poker_evomaha(*_omaha(hole, board)))


def omaha_low(hole: Cards, board: Cards) -> Optional[int]:
    """Omaha eight-or-better low value (31 best .. 248 worst), or None without a low."""
    value = int(_lib().poker_evomahalow(*_omaha(hole, board)))
    return None if value == NO_LOW else value


_INT32 = ("i", "=i", "<i", "l", "=l", "<l")


def _as_int32_cards(buffer: Any, cards_per_hand: Optional[int], sizes: "tuple[int, ...]") -> "tuple[Any, int, int, bool]":
    """(flat int32 card buffer, hand count, cards per hand, whether the input was NumPy's)."""
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
    or 7 array of card numbers (NumPy, any integer type, any strides), or a flat
    buffer (array.array, memoryview) with cards_per_hand given. Arrays that are
    not C-contiguous 32-bit ints are converted first (a copy). Returns n values
    as int32 (a NumPy array for NumPy input, else array.array('i')); a hand with
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
    if not count:
        return out  # type: ignore[no-any-return]
    if _core is not None:
        _core._evaluate_many(flat, per_hand, out, game_id)
        return out  # type: ignore[no-any-return]
    if game_id != GAME_HOLDEM or per_hand == 6:  # without the compiled part: the library, one call for all
        target = out.ctypes.data if is_numpy else out.buffer_info()[0]
        if _lib().oddsmith_evaluate_game_many(_address(flat), count, game_id, per_hand, target) != 0:
            raise ValueError("the library refused the buffer")
        return out  # type: ignore[no-any-return]
    source = _address(flat)
    target = out.ctypes.data if is_numpy else out.buffer_info()[0]
    if _lib().oddsmith_evaluate_many(source, count, per_hand, target) != 0:
        raise ValueError("the library refused the buffer")
    return out  # type: ignore[no-any-return]


def _address(flat: Any) -> int:
    """The address of a flat int32 buffer's first card, for ctypes."""
    if hasattr(flat, "ctypes"):
        return int(flat.ctypes.data)
    if isinstance(flat, array.array):
        return int(flat.buffer_info()[0])
    data = flat if not flat.readonly else memoryview(bytearray(flat.cast("B")))
    return ctypes.addressof((ctypes.c_char * data.nbytes).from_buffer(data.cast("B")))
