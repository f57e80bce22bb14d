"""Hand evaluation: one hand (text or card numbers) or many at once."""
import array
import ctypes
import sys
from typing import Optional, Sequence, Union

from ._facts import BEST_HAND, CATEGORIES, NO_LOW, WORST_HAND
from .cards import card_numbers, cards, name

Cards = Union[str, Sequence[int]]



def _lib():
    package = sys.modules[__package__]  # its handle, loaded on first use
    return package._lib or package.load()


def _hand(hand: Cards, counts, what: str):
    if isinstance(hand, str):
        return cards(hand, counts, what)
    if isinstance(hand, (bytes, bytearray)) or not hasattr(hand, "__len__"):
        raise ValueError(f"{what} must be text such as 'As Ks Qs Js Ts' or a sequence of card numbers, got {hand!r}")
    return card_numbers(hand, counts, what)


def category(value: int) -> str:
    """The category name of a hand value BEST_HAND..WORST_HAND ("Straight flush" .. "High card")."""
    if isinstance(value, int) and not isinstance(value, bool) and BEST_HAND <= value <= WORST_HAND:
        return [label for first, label in CATEGORIES if first <= value][-1]
    raise ValueError(f"{value!r} is not a hand value ({BEST_HAND} to {WORST_HAND})")


def evaluate(hand: Cards) -> int:
    """The value (BEST_HAND best .. WORST_HAND worst) of the best five cards among 5 to 7
    different cards, given as text ("As Ks Qs Js Ts", "AsKs...") or as card
    numbers (rank * 4 + suit, 2c = 0 .. As = 51)."""
    lib = _lib()
    # Plain ints: the library checks them; only a refusal (0) needs the slow path's message.
    if type(hand) in (list, tuple) and len(hand) in (5, 7) and all(type(c) is int for c in hand):
        value = (lib.poker_ev5 if len(hand) == 5 else lib.poker_ev7)(*hand)
        if value:
            return value
    c = _hand(hand, (5, 6, 7), "the hand")
    if len(c) == 5:
        return lib.poker_ev5(*c)
    if len(c) == 7:
        return lib.poker_ev7(*c)
    return min(lib.poker_ev5(*(c[:i] + c[i + 1:])) for i in range(6))


def _omaha(hole: Cards, board: Cards):
    h = _hand(hole, (4,), "the hole")
    b = _hand(board, (5,), "the board")
    shared = set(h) & set(b)
    if shared:
        raise ValueError(f"card {name(min(shared))} is both in the hole and on the board")
    return h + b


def omaha_high(hole: Cards, board: Cards) -> int:
    """Omaha high value: exactly two of the four hole cards with three of the five board cards."""
    return _lib().poker_evomaha(*_omaha(hole, board))


def omaha_low(hole: Cards, board: Cards) -> Optional[int]:
    """Omaha eight-or-better low value (31 best .. 248 worst), or None without a low."""
    value = _lib().poker_evomahalow(*_omaha(hole, board))
    return None if value == NO_LOW else value


def evaluate_many(buffer, cards_per_hand: Optional[int] = None):
    """Values of many hands in one call: `buffer` is a C-contiguous buffer of
    32-bit card numbers, n x 5 or n x 7 (a NumPy int32 array of that shape, or a
    flat array.array('i') with cards_per_hand given). Returns n values (a NumPy
    array for NumPy input, else array.array('i')); a hand with a card outside
    0..51 or a repeated card gets 0. The library runs without the GIL."""
    view = memoryview(buffer)
    if view.itemsize != 4 or view.format not in ("i", "=i", "<i", "l", "=l", "<l") or not view.c_contiguous:
        raise ValueError(f"evaluate_many needs a C-contiguous buffer of 32-bit ints, got format {view.format!r} "
                         f"of {view.itemsize}-byte items")
    if view.ndim == 2:
        count, per_hand = view.shape
        if cards_per_hand not in (None, per_hand):
            raise ValueError(f"cards_per_hand {cards_per_hand!r} does not match the buffer's {per_hand} columns")
    elif view.ndim == 1:
        per_hand = cards_per_hand
        if per_hand not in (5, 7):
            raise ValueError("a flat buffer needs cards_per_hand=5 or 7")
        if view.shape[0] % per_hand:
            raise ValueError(f"a flat buffer of {view.shape[0]} cards is not whole hands of {per_hand}")
        count = view.shape[0] // per_hand
    else:
        raise ValueError(f"evaluate_many needs an n x 5 or n x 7 buffer, got {view.ndim} dimensions")
    if per_hand not in (5, 7):
        raise ValueError(f"hands of 5 or 7 cards, got {per_hand}")
    numpy = None
    if type(buffer).__module__.split(".")[0] == "numpy":
        import numpy
    # The values land straight in the array returned.
    out = numpy.empty(count, dtype=numpy.int32) if numpy else array.array("i", bytes(4 * count))
    out_address = out.ctypes.data if numpy else out.buffer_info()[0]
    if count:
        data = view if not view.readonly else memoryview(bytearray(view.cast("B")))
        source = (ctypes.c_char * (count * per_hand * 4)).from_buffer(data.cast("B"))
        if _lib().oddsmith_evaluate_many(ctypes.addressof(source), count, per_hand, out_address) != 0:
            raise ValueError("the library refused the buffer")
        del source
    return out
