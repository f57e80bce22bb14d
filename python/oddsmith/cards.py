"""Card notation: a rank letter and a suit letter (_facts.RANK_LETTERS,
SUIT_LETTERS); card numbers are rank * 4 + suit (2c = 0, As = 51)."""
import numbers
import re

from ._facts import RANK_LETTERS as RANKS, SUIT_LETTERS as SUITS
_CARD_OF = {r + s: ri * 4 + si for ri, r in enumerate(RANKS) for si, suit in enumerate(SUITS)
            for s in (suit, suit.upper())}
_EXPECTED = f"a card is a rank ({RANKS}) and a suit ({SUITS}), such as As or Td"


def _ten_hint(text):
    return "; tens are written T, not 10" if "10" in text else ""


def card(text):
    """The number of one two-character card such as "As" or "Td"."""
    if isinstance(text, str) and len(text) == 2 and text[0] in RANKS and text[1].lower() in SUITS:
        return RANKS.index(text[0]) * 4 + SUITS.index(text[1].lower())
    raise ValueError(f"bad card {text!r}: {_EXPECTED}{_ten_hint(str(text))}")


def cards(text, count=None, what="cards"):
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
            return quick
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


def card_numbers(hand, count, what):
    """A hand given as card numbers: `count` (an int, or a tuple of allowed
    counts) different ints 0..51 (booleans are not cards)."""
    values = list(hand)
    allowed = (count,) if isinstance(count, int) else tuple(count)
    for c in values:
        if isinstance(c, bool) or not isinstance(c, numbers.Integral) or not 0 <= c < 52:
            raise ValueError(f"bad card {c!r} in {what} {hand!r}: card numbers are whole numbers 0 to 51")
    if len(values) not in allowed or len(set(values)) != len(values):
        want = " or ".join(str(n) for n in allowed)
        raise ValueError(f"{what} {hand!r} is not {want} different cards")
    return [int(c) for c in values]


def name(number):
    return RANKS[number // 4] + SUITS[number % 4]
