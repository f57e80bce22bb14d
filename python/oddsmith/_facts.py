"""Facts of the library's interface on the Python side. include/oddsmith.h holds
the same ones for C and C++ (ODDSMITH_* macros); a test checks that they agree."""
RANK_LETTERS = "23456789TJQKA"   # rank r (0 = deuce) is letter r
SUIT_LETTERS = "cdhs"            # clubs, diamonds, hearts, spades
BEST_HAND = 1
WORST_HAND = 7462
NO_LOW = 1024
HOLDEM_DEALS = 120000
OMAHA_DEALS = 50000
HOLDEM_MAX_OPPONENTS = 22
OMAHA_MAX_OPPONENTS = 10
RANGE_SLOTS = 4
RANGE_HANDS = 500
MAX_PLAYERS = 23
OMAHA_MAX_PLAYERS = 11
MAX_TRIALS = 1 << 48
DEFAULT_MAX_SECONDS = 60.0
STATUS_OK, STATUS_BAD_QUERY, STATUS_CANCELLED, STATUS_NO_MEMORY, STATUS_TARGET_NOT_MET = 0, 1, 2, 3, 4
# The first (strongest) value of each category, strongest category first.
FIRST_STRAIGHT_FLUSH, FIRST_FOUR_OF_A_KIND, FIRST_FULL_HOUSE, FIRST_FLUSH = 1, 11, 167, 323
FIRST_STRAIGHT, FIRST_THREE_OF_A_KIND, FIRST_TWO_PAIR, FIRST_ONE_PAIR, FIRST_HIGH_CARD = 1600, 1610, 2468, 3326, 6186
CATEGORIES = [(FIRST_STRAIGHT_FLUSH, "Straight flush"), (FIRST_FOUR_OF_A_KIND, "Four of a kind"),
              (FIRST_FULL_HOUSE, "Full house"), (FIRST_FLUSH, "Flush"), (FIRST_STRAIGHT, "Straight"),
              (FIRST_THREE_OF_A_KIND, "Three of a kind"), (FIRST_TWO_PAIR, "Two pair"),
              (FIRST_ONE_PAIR, "One pair"), (FIRST_HIGH_CARD, "High card")]
GAME_HOLDEM, GAME_OMAHA, GAME_OMAHA_HILO = 0, 1, 2
MODE_AUTO, MODE_EXACT, MODE_MONTE_CARLO = 0, 1, 2
