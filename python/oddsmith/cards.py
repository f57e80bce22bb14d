"""Card notation: a rank from "23456789TJQKA" and a suit from "cdhs"; card
numbers are rank * 4 + suit (2c = 0, As = 51)."""
RANKS = "23456789TJQKA"
SUITS = "cdhs"


def card(text):
    """The number of one two-character card such as "As" or "Td"."""
    if len(text) == 2 and text[0] in RANKS and text[1].lower() in SUITS:
        return RANKS.index(text[0]) * 4 + SUITS.index(text[1].lower())
    hint = " (tens are written T)" if text.startswith("10") or text.startswith("1") else ""
    raise ValueError(f"bad card {text!r}{hint}")


def cards(text, count=None, what="cards"):
    """Card numbers from text such as "As Ks" or "AsKs" (spaces and commas are
    optional). Raises ValueError for bad text, a repeated card, or a count other
    than `count` (an int, or a tuple of allowed counts)."""
    if not isinstance(text, str):
        raise ValueError(f"{what} must be text such as 'As Ks', not {type(text).__name__}")
    compact = text.replace(" ", "").replace(",", "")
    if compact.startswith("10") or "10" in compact:
        raise ValueError(f"bad card in {text!r}: tens are written T, not 10")
    parsed = [card(compact[i:i + 2]) for i in range(0, len(compact), 2)]
    seen = set()
    for c in parsed:
        if c in seen:
            raise ValueError(f"card {name(c)} is given twice in {what}")
        seen.add(c)
    allowed = (count,) if isinstance(count, int) else count
    if allowed is not None and len(parsed) not in allowed:
        want = " or ".join(str(n) for n in allowed)
        raise ValueError(f"{what} needs {want} cards, got {len(parsed)} in {text!r}")
    return parsed


def name(number):
    return RANKS[number // 4] + SUITS[number % 4]
