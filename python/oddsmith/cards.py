"""Card notation: a rank from "23456789TJQKA" and a suit from "cdhs"; card
numbers are rank * 4 + suit (2c = 0, As = 51)."""
import re

RANKS = "23456789TJQKA"
SUITS = "cdhs"
_EXPECTED = "a card is a rank (23456789TJQKA) and a suit (cdhs), such as As or Td"


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
    allowed = (count,) if isinstance(count, int) else count
    if allowed is not None and len(parsed) not in allowed:
        want = " or ".join(str(n) for n in allowed)
        raise ValueError(f"{what} needs {want} cards, got {len(parsed)} in {text!r}")
    return parsed


def card_numbers(hand, count, what):
    """A hand given as card numbers: exactly `count` different ints 0..51
    (booleans are not cards)."""
    numbers = list(hand)
    for c in numbers:
        if isinstance(c, bool) or not isinstance(c, int) or not 0 <= c < 52:
            raise ValueError(f"bad card {c!r} in {what} {hand!r}: card numbers are whole numbers 0 to 51")
    if len(numbers) != count or len(set(numbers)) != count:
        raise ValueError(f"{what} {hand!r} is not {count} different cards")
    return numbers


def name(number):
    return RANKS[number // 4] + SUITS[number % 4]
