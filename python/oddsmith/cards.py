"""Card notation: a rank letter and a suit letter (_facts.RANK_LETTERS,
SUIT_LETTERS); card numbers are rank * 4 + suit (2c = 0, As = 51)."""
import numbers
import re
from typing import List, Optional, Sequence, Tuple, Union

from ._facts import RANK_LETTERS as RANKS, SUIT_LETTERS as SUITS
_CARD_OF = {r + s: ri * 4 + si for ri, r in enumerate(RANKS) for si, suit in enumerate(SUITS)
            for s in (suit, suit.upper())}
_EXPECTED = f"a card is a rank ({RANKS}) and a suit ({SUITS}), such as As or Td"

Card = Union[int, str]
# Cards as one text ("As Ks Qs", "AsKsQs") or a sequence of card texts or numbers.
Cards = Union[str, Sequence[Card]]
Board = Cards
Counts = Union[int, Tuple[int, ...], None]


def _ten_hint(text: str) -> str:
    return "; tens are written T, not 10" if "10" in text else ""


def card(text: str) -> int:
    """The number of one two-character card such as "As" or "Td"."""
    if isinstance(text, str) and len(text) == 2 and text[0] in RANKS and text[1].lower() in SUITS:
        return RANKS.index(text[0]) * 4 + SUITS.index(text[1].lower())
    raise ValueError(f"bad card {text!r}: {_EXPECTED}{_ten_hint(str(text))}")


def cards(text: str, count: Counts = None, what: str = "cards") -> List[int]:
    """Card numbers from text such as "As Ks" or "AsKs" (spaces and commas are
    optional). Raises ValueError naming the bad piece for bad text, a repeated
    card, or a count other than `count` (an int, or a tuple of allowed counts)."""
    if not isinstance(text, str):
        raise ValueError(f"{what} must be text such as 'As Ks', got {type(text).__name__} {text!r}")
    allowed = (count,) if isinstance(count, int) else count
    # The common case in one pass; anything unusual takes the path below, which names the fault.
    compact = text.replace(" ", "").replace(",", "")
    if len(compact) % 2 == 0:
        quick = [_CARD_OF.get(compact[i:i + 2]) for i in range(0, len(compact), 2)]
        if None not in quick and len(set(quick)) == len(quick) and (allowed is None or len(quick) in allowed):
            return [c for c in quick if c is not None]
    parsed = []
    for word in re.split(r"[\s,]+", text.strip()):
        for i in range(0, len(word), 2):
            piece = word[i:i + 2]
            if len(piece) != 2 or piece[0] not in RANKS or piece[1].lower() not in SUITS:
                if "10" in word:
                    piece = word
                raise ValueError(f"bad card {piece!r} in {what} {text!r}: {_EXPECTED}{_ten_hint(word)}")
            parsed.append(card(piece))
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
            raise ValueError(f"bad card {c!r} in {what}: {_EXPECTED}, or a card number 0 to 51")
    return " ".join(parts)


def hand_cards(hand: Cards, counts: Counts, what: str) -> List[int]:
    """A hand as card numbers from any of the forms `Cards` allows."""
    if isinstance(hand, str) or (isinstance(hand, Sequence) and any(isinstance(c, str) for c in hand)):
        return cards(board_text(hand, what), counts, what)
    if isinstance(hand, (bytes, bytearray)) or not hasattr(hand, "__len__"):
        raise ValueError(f"{what} must be text such as 'As Ks Qs Js Ts' or a sequence of card numbers, got {hand!r}")
    return card_numbers(hand, counts, what)


def name(number: int) -> str:
    return RANKS[number // 4] + SUITS[number % 4]
