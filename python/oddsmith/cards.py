"""Card text, read and named by the library (oddsmith_parse_cards,
oddsmith_card_name): a rank (23456789TJQKA in either case, or 10) and a suit
(cdhs in either case, or a suit symbol ♣♦♥♠, outlined ones too), cards together
or apart ("AhKh", "ah kh", "A♥ 10♠"); card numbers are rank * 4 + suit (2c = 0,
As = 51). parse_cards reads text into card numbers; card_text and cards_text
write them back."""
import numbers
import sys
import types
import warnings
from typing import Iterable, List, Sequence, Tuple, Union

from ._library import core

Card = Union[int, str]
# Cards as one text ("As Ks Qs", "AsKsQs") or a sequence of card texts or numbers.
Cards = Union[str, Sequence[Card]]
Board = Cards
Counts = Union[int, Tuple[int, ...], None]


def _read(text: str) -> List[int]:
    """The library's reading of `text`; ValueError with its message, which
    quotes the bad piece and the text. A lone surrogate reaches it as the bytes
    it stands for, which are no card."""
    parsed: List[int] = core._parse_cards(text.encode("utf-8", "surrogatepass"))
    return parsed


def card(text: str) -> int:
    """The number of one card such as "As", "td" or "10♥"."""
    if not isinstance(text, str):
        raise ValueError(f"a card is text such as 'As', got {type(text).__name__} {text!r}")
    parsed = _read(text)
    if len(parsed) != 1:
        raise ValueError(f"{text!r} is not one card but {len(parsed)}")
    return parsed[0]


def parse_cards(text: str, count: Counts = None, what: str = "cards") -> List[int]:
    """Card numbers from text such as "As Ks" or "AsKs" (spaces and commas are
    optional). Raises ValueError naming the bad piece for bad text, a repeated
    card, or a count other than `count` (an int, or a tuple of allowed counts)."""
    if not isinstance(text, str):
        raise ValueError(f"{what} must be text such as 'As Ks', got {type(text).__name__} {text!r}")
    allowed = (count,) if isinstance(count, int) else count
    parsed = _read(text)
    seen = set()
    for c in parsed:
        if c in seen:
            raise ValueError(f"card {name(c)} is given twice in {what} {text!r}")
        seen.add(c)
    if allowed is not None and len(parsed) not in allowed:
        want = " or ".join(str(n) for n in allowed)
        raise ValueError(f"{what} needs {want} cards, got {len(parsed)} in {text!r}")
    return parsed


def card_numbers(hand: Sequence[object], count: Counts, what: str) -> List[int]:
    """A hand given as card numbers: `count` (an int, or a tuple of allowed
    counts) different ints 0..51 (booleans are not cards)."""
    values: List[int] = []
    for c in hand:
        if isinstance(c, bool) or not isinstance(c, numbers.Integral) or not 0 <= int(c) < 52:
            raise ValueError(f"bad card {c!r} in {what} {hand!r}: card numbers are whole numbers 0 to 51")
        values.append(int(c))
    allowed = () if count is None else (count,) if isinstance(count, int) else tuple(count)
    if (allowed and len(values) not in allowed) or len(set(values)) != len(values):
        want = " or ".join(str(n) for n in allowed) if allowed else "all"
        raise ValueError(f"{what} {hand!r} is not {want} different cards")
    return values


def board_text(value: Cards, what: str = "cards") -> str:
    """Cards given as text, or as a sequence of card texts or numbers, as one text."""
    if isinstance(value, str):
        return value
    if isinstance(value, (bytes, bytearray)) or not isinstance(value, Sequence):
        raise ValueError(f"{what} must be card text such as 'Qh 7c 2d' or a list of cards, "
                         f"got {type(value).__name__} {value!r}")
    parts = []
    for c in value:
        if isinstance(c, str):
            parts.append(c)
        elif isinstance(c, numbers.Integral) and not isinstance(c, bool) and 0 <= int(c) < 52:
            parts.append(name(int(c)))
        else:
            raise ValueError(f"bad card {c!r} in {what}: a card is text such as 'As' or '10♥', or a card number 0 to 51")
    return " ".join(parts)


def hand_cards(hand: Cards, counts: Counts, what: str) -> List[int]:
    """A hand as card numbers from any of the forms `Cards` allows."""
    if isinstance(hand, str) or (isinstance(hand, Sequence) and any(isinstance(c, str) for c in hand)):
        return parse_cards(board_text(hand, what), counts, what)
    if isinstance(hand, (bytes, bytearray)) or not hasattr(hand, "__len__"):
        raise ValueError(f"{what} must be text such as 'As Ks Qs Js Ts' or a sequence of card numbers, got {hand!r}")
    return card_numbers(hand, counts, what)


def name(number: int) -> str:
    """The library's name of a card number: "As" for 51."""
    named: str = core._card_name(number)
    return named


def hand_text(hand: Sequence[int]) -> str:
    """The library's text of a hand: its cards highest first ("AhKh")."""
    text: str = core._hand_text(list(hand))
    return text


def _card_number(value: object, what: str) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or not 0 <= int(value) < 52:
        raise ValueError(f"{what} must be a card number, a whole number 0 to 51, got {value!r}")
    return int(value)


def card_text(card: int) -> str:
    """The text of a card number, as parse_cards reads it back: "As" for 51,
    "2c" for 0 (rank * 4 + suit). ValueError for anything but a card number."""
    return name(_card_number(card, "a card"))


def cards_text(cards: Iterable[int], highest_first: bool = False) -> str:
    """The text of card numbers, the cards side by side in their order ("Qh7c2d"),
    or highest first as the library writes hands (highest_first=True: "AhKh" for
    [46, 50]). parse_cards reads it back. ValueError naming a value that is no card."""
    if isinstance(cards, (str, bytes, bytearray)):
        raise ValueError(f"cards must be card numbers 0 to 51, got {type(cards).__name__} {cards!r}")
    numbers_given = [_card_number(c, f"card {i + 1}") for i, c in enumerate(cards)]
    return hand_text(numbers_given) if highest_first else "".join(name(c) for c in numbers_given)


# The earlier name of parse_cards, kept for code that imports it from here.
cards = parse_cards


class _CallableModule(types.ModuleType):
    """This module, callable as the package-level function `oddsmith.cards` was
    before the module took the name, so that calls written then still work."""

    def __call__(self, text: str, count: Counts = None, what: str = "cards") -> List[int]:
        warnings.warn("oddsmith.cards(text) is now oddsmith.parse_cards(text); oddsmith.cards is the module",
                      DeprecationWarning, stacklevel=2)
        return parse_cards(text, count, what)


sys.modules[__name__].__class__ = _CallableModule
