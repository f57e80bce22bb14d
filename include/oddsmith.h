/* oddsmith: poker hand evaluation and Monte-Carlo equity, as plain C exports.
 *
 * Cards are integers 0..51: rank * 4 + suit, rank 0 = deuce .. 12 = ace,
 * suit 0..3 = clubs, diamonds, hearts, spades (2c = 0, As = 51).
 * Hand values run from 1 (royal flush) to 7462 (worst high card); lower is
 * stronger. Low values are masks of five low ranks (31 best .. 248 worst), 1024
 * when no eight-or-better low exists.
 *
 * The host exports (poker_*, *_test) share the range slots and their cursors,
 * so the host calls them from one thread at a time; the oddsmith_* exports keep
 * no process-wide state and any thread may call them at any time. */
#ifndef ODDSMITH_H
#define ODDSMITH_H

#if defined(_WIN32)
#  if defined(ODDSMITH_BUILDING)
#    define ODDSMITH_API __declspec(dllexport)
#  else
#    define ODDSMITH_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define ODDSMITH_API __attribute__((visibility("default")))
#else
#  define ODDSMITH_API
#endif

#include <wchar.h>

/* Facts of the interface, for hosts as much as for the library itself. */
#define ODDSMITH_RANK_LETTERS "23456789TJQKA" /* rank r (0 = deuce) is letter r */
#define ODDSMITH_SUIT_LETTERS "cdhs"        /* clubs, diamonds, hearts, spades */
#define ODDSMITH_BEST_HAND 1                /* royal flush */
#define ODDSMITH_WORST_HAND 7462            /* seven-high */
#define ODDSMITH_SHORTDECK_WORST_HAND 1404  /* short deck (36 cards): J-9-8-7-6 */
/* The first (strongest) value of each hand category; a category runs up to the
 * value before the next category's first. */
#define ODDSMITH_FIRST_STRAIGHT_FLUSH 1
#define ODDSMITH_FIRST_FOUR_OF_A_KIND 11
#define ODDSMITH_FIRST_FULL_HOUSE 167
#define ODDSMITH_FIRST_FLUSH 323
#define ODDSMITH_FIRST_STRAIGHT 1600
#define ODDSMITH_FIRST_THREE_OF_A_KIND 1610
#define ODDSMITH_FIRST_TWO_PAIR 2468
#define ODDSMITH_FIRST_ONE_PAIR 3326
#define ODDSMITH_FIRST_HIGH_CARD 6186
/* The same for short deck, whose flushes rank above its full houses. */
#define ODDSMITH_SHORTDECK_FIRST_STRAIGHT_FLUSH 1
#define ODDSMITH_SHORTDECK_FIRST_FOUR_OF_A_KIND 7
#define ODDSMITH_SHORTDECK_FIRST_FLUSH 79
#define ODDSMITH_SHORTDECK_FIRST_FULL_HOUSE 199
#define ODDSMITH_SHORTDECK_FIRST_STRAIGHT 271
#define ODDSMITH_SHORTDECK_FIRST_THREE_OF_A_KIND 277
#define ODDSMITH_SHORTDECK_FIRST_TWO_PAIR 529
#define ODDSMITH_SHORTDECK_FIRST_ONE_PAIR 781
#define ODDSMITH_SHORTDECK_FIRST_HIGH_CARD 1285
#define ODDSMITH_NO_LOW 1024                /* no eight-or-better low */
#define ODDSMITH_HOLDEM_DEALS 120000        /* deals per Hold'em equity call */
#define ODDSMITH_OMAHA_DEALS 50000          /* deals per Omaha or Hi/Lo equity call */
#define ODDSMITH_HOLDEM_MAX_OPPONENTS 22
#define ODDSMITH_OMAHA_MAX_OPPONENTS 10
#define ODDSMITH_RANGE_SLOTS 4              /* slots 0..3, named by range argument 1..4 */
#define ODDSMITH_RANGE_HANDS 500            /* hands per slot */

#ifdef __cplusplus
extern "C" {
#endif
/* NOLINTBEGIN(modernize-use-using): a C header */

/* Value of five distinct cards; 0 when a card is outside 0..51 or repeated. */
ODDSMITH_API int poker_ev5(int c1, int c2, int c3, int c4, int c5);

/* Value of the best five of seven distinct cards; 0 on bad or repeated cards. */
ODDSMITH_API int poker_ev7(int c1, int c2, int c3, int c4, int c5, int c6, int c7);

/* Omaha high: best hand of exactly two hole and three board cards. Hole cards
 * first. 0 on bad or repeated cards. */
ODDSMITH_API int poker_evomaha(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5);

/* Omaha eight-or-better low of exactly two hole and three board cards. Hole
 * cards first. 0 when a card is outside 0..51; a repeated card counts once. */
ODDSMITH_API int poker_evomahalow(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5);

/* Timing loops: run the seven-card, Omaha high or Omaha low evaluator `count`
 * times on fixed cards and return the processor-clock ticks (clock()) spent.
 * A count of 0 or less runs nothing. */
ODDSMITH_API int holdem_test(int count);
ODDSMITH_API int omaha_test(int count);
ODDSMITH_API int omahalow_test(int count);

/* Hold'em equity per mille (0..1000, truncated) of the player's cards p1, p2
 * against `opponents` opponents (0..22), by 120,000 simulated deals. The first
 * `known` (0..5) of b1..b5 are known board cards; the rest are ignored.
 * range 0 deals random opponents; range 1..4 gives every opponent the next hand
 * of range slot range - 1 that shares no card with the player or known board
 * (random cards when the slot has no such hand). A tie counts as a win.
 * Returns -1, changing nothing, when an argument is outside these limits or a
 * card among the player's and known board cards is outside 0..51 or repeated. */
ODDSMITH_API int poker_holdem_equity(int p1, int p2, int known, int opponents, int range,
                                     int b1, int b2, int b3, int b4, int b5);

/* Replaces all four Hold'em range slots with 4 x 500 hands x 2 cards (4,000
 * ints; card j of hand h of slot s at (s * 500 + h) * 2 + j). Returns 1, or 0
 * for a null pointer (nothing changed). Hands with a card outside 0..51 or a
 * repeated card are never dealt. */
ODDSMITH_API int poker_set_holdem_range_simul(const int *hands);

/* Refills Hold'em range slot `slot` (0..3; equity calls name it as range
 * argument slot + 1) with 500 hands. When `text` is range notation (see
 * oddsmith_range_parse; its ASCII characters) naming at least one hand, the
 * hands are drawn from that range by weight; when it is null, empty or does not
 * parse, they are random hands of two different cards. Never touches the cursor
 * or the other slots. Returns 1, or 0 for a slot outside 0..3 (nothing changed). */
ODDSMITH_API int poker_set_holdem_range_exact(int slot, const wchar_t *text);

/* Omaha high equity per mille of the player's four cards p1..p4 against
 * `opponents` opponents (0..10), by 50,000 simulated deals; a deal's pot is
 * split evenly among the players tying for the best hand. Arguments as for
 * poker_holdem_equity, with range slots from the Omaha ranges. Each call writes
 * "<score sum>,<deals> " (printf "%f,%d ") to standard output. Returns -1,
 * writing and changing nothing, for arguments outside the limits. */
ODDSMITH_API int poker_omaha_equity(int p1, int p2, int p3, int p4, int known, int opponents, int range,
                                    int b1, int b2, int b3, int b4, int b5);

/* Omaha eight-or-better (Hi/Lo) equity per mille: half the pot to the best high,
 * half to the best qualifying low (all to the high when nobody has one), each
 * half split among tying players. Arguments and limits as for
 * poker_omaha_equity, with range slots from the Hi/Lo ranges; writes nothing. */
ODDSMITH_API int poker_omahahl_equity(int p1, int p2, int p3, int p4, int known, int opponents, int range,
                                      int b1, int b2, int b3, int b4, int b5);

/* Replace all four Omaha (or Hi/Lo) range slots with 4 x 500 hands x 4 cards
 * (8,000 ints; card j of hand h of slot s at (s * 500 + h) * 4 + j). Return 1,
 * or 0 for a null pointer (nothing changed). Hands with a card outside 0..51 or
 * a repeated card are never dealt. */
ODDSMITH_API int poker_load_omaha_range(const int *hands);
ODDSMITH_API int poker_load_omahahl_range(const int *hands);

/* Values of `count` hands of `cards_per_hand` (5 or 7) cards each, read from
 * cards[i * cards_per_hand ...] into values[i]: 1..7462, or 0 for a hand with a
 * card outside 0..51 or a repeated card (as poker_ev5 and poker_ev7). Returns 0,
 * or -1, writing nothing, for null pointers, a negative count or another
 * cards_per_hand. Reentrant: it reads only the tables. */
ODDSMITH_API int oddsmith_evaluate_many(const int *cards, long long count, int cards_per_hand, int *values);

/* The same for a game: ODDSMITH_GAME_HOLDEM (5, 6 or 7 cards, the best five);
 * ODDSMITH_GAME_SHORTDECK (5, 6 or 7 cards of the 36-card deck, sixes to
 * aces: values 1 .. ODDSMITH_SHORTDECK_WORST_HAND, a flush above a full house,
 * A-6-7-8-9 the lowest straight; a card below the six is refused like a
 * repeated one, with 0); ODDSMITH_GAME_OMAHA (9 cards: four hole cards, then
 * the five board cards) and ODDSMITH_GAME_OMAHA5 (10 cards: five hole cards,
 * then the board), the best high hand of exactly two hole and three board
 * cards, values as poker_ev5. Returns 0, or -1, writing nothing, for null
 * pointers, a negative count, another game or another cards_per_hand. The
 * Hi/Lo games' high halves are their high games'. Reentrant. */
ODDSMITH_API int oddsmith_evaluate_game_many(const int *cards, long long count, int game, int cards_per_hand,
                                             int *values);

/* ---- Card and hand text ----------------------------------------------------
 * The library's one reader and writer of card text, which the command line and
 * the Python package use. Reentrant: no process-wide state, nothing printed.
 *
 * Text written to `out` follows one rule: the return value is the whole text's
 * length in bytes (without the NUL); the text is written NUL-terminated when
 * `size` holds it, else as many whole characters as fit before the NUL (so a
 * return >= size means it was cut); nothing is written when `size` is 0 or less,
 * and `out` may then be NULL. -1 means the arguments were refused, with "" in
 * `out` when size > 0. */

/* Reads the cards of `text` (`length` bytes, -1: up to a NUL): each a rank
 * (23456789TJQKA in either case, or 10) and a suit (cdhs in either case, or a
 * suit symbol in UTF-8: U+2663, U+2666, U+2665, U+2660 for clubs, diamonds,
 * hearts, spades, or their outlined U+2667, U+2662, U+2661, U+2664, any of them
 * followed or not by U+FE0F), run together or apart with spaces, tabs, line
 * ends or commas: "AhKh", "ah kh", "10s,9s", "A" U+2665 "K" U+2665. Writes the first max_cards card numbers to cards[] and returns how
 * many cards the text holds (which may exceed max_cards; "" holds 0). Repeated
 * cards are not checked. Returns -1, with a message quoting the bad piece and
 * the text (control bytes escaped) in `error` (NUL-terminated, cut to
 * error_size bytes; may be NULL), for a bad piece, a NULL text, a length below
 * -1, a negative max_cards, or NULL cards with max_cards above 0. */
ODDSMITH_API int oddsmith_parse_cards(const char *text, int length, int *cards, int max_cards, char *error,
                                      int error_size);

/* Writes the card's name ("Ah": rank letter, lower-case suit letter) and a NUL
 * to out[0..2]; returns 2, or -1 for a card outside 0..51 or a NULL out. */
ODDSMITH_API int oddsmith_card_name(int card, char out[3]);

/* The `count` (0..52) cards of cards[] as one text, highest card first and
 * nothing between them ("AhKh" for Kh, Ah; the way hands are shown), written as
 * above. -1 for a card outside 0..51, a count outside 0..52 or NULL cards with
 * a count above 0. */
ODDSMITH_API int oddsmith_hand_text(const int *cards, int count, char *out, int size);

/* The category of a hand value of a game ("Straight flush", "Four of a kind",
 * "Full house", "Flush", "Straight", "Three of a kind", "Two pair", "One pair",
 * "High card"), written as above: values 1 .. ODDSMITH_WORST_HAND in every game
 * (the Omaha games' high values too) but short deck, whose values run 1 ..
 * ODDSMITH_SHORTDECK_WORST_HAND with the flushes above the full houses. -1 for
 * an unknown game or a value outside its game's range. */
ODDSMITH_API int oddsmith_category_name(int game, int hand_value, char *out, int size);

/* A low value's ranks, highest first ("8-5-4-2-A", "5-4-3-2-A"), or "no low"
 * for ODDSMITH_NO_LOW, written as above; -1 for any other value (a low is five
 * different ranks of ace to eight: bit 0 the ace .. bit 7 the eight). */
ODDSMITH_API int oddsmith_low_name(int low_value, char *out, int size);

/* The names of the ODDSMITH_DRAW_* bits set in `draws`, joined by ", " ("" for
 * 0), written as above: the flush draw once as "nut flush draw", "2nd-nut
 * flush draw" or "flush draw", then "OESD", "gutshot", "wrap", and the low
 * draw once as "nut low draw" or "low draw"; -1 when another bit is set. */
ODDSMITH_API int oddsmith_draw_names(int draws, char *out, int size);

/* `text` (`length` bytes, -1: up to a NUL) as a message may quote what a user
 * typed: printable ASCII and printable UTF-8 as they are; a control byte, DEL
 * or a byte outside valid UTF-8 as \xNN; an invisible control character (C1
 * controls, bidirectional overrides and isolates, zero-width marks, line and
 * paragraph separators, the byte-order mark) as \uNNNN. Escaping escaped text
 * changes nothing. Written as above, cut only between whole characters or
 * escapes; -1 for a NULL text or a length below -1. Every message of the
 * library already quotes typed text this way. */
ODDSMITH_API int oddsmith_shown_text(const char *text, int length, char *out, int size);

/* ---- Range notation -------------------------------------------------------
 * The functions below are reentrant: they keep no process-wide state and never
 * print, so any thread may call them at any time on its own handles.
 *
 * Items are separated by commas, spaces allowed around them:
 *   Hold'em  QQ, TT+, TT-77 (pairs); AKs, AKo, AK (suited, offsuit, both);
 *            AJo+, K9+ (second rank up to one below the first); KTs-K7s,
 *            76s-54s (spans keeping the first rank or the gap); AhKh (one hand)
 *   Omaha    AhAsKhKs (one hand); AAxx, AKQx, AA (hands holding those ranks,
 *            x or nothing: any card); suits as AAKKds (2+2), AKxxss (2+1+1),
 *            JT98rb (1+1+1+1); KK-TT (KKxx through TTxx); AA!AAA (but not AAA)
 *   five-card Omaha  the same with five cards: AhAsKhKsQd; AAxxx or AA;
 *            AAKKds (2+2+1), AAxxss (2+1+1+1); five cards cannot be rainbow
 *   short deck  Hold'em notation over ranks 6 to A: TT+ is TT-AA, A6s+
 *            (deuces to fives, written in a class or span, are passed over)
 *            also Axs, Kxo, Ax, xx (x: any rank; xx every hand); AhXh, XsXs
 *            (a card with x for any rank or suit: the ace of hearts with any
 *            other heart); 22+!AA, AhXh!AhKh (less the hands after '!')
 *   all      10% (strongest tenth of the hands), 5-15% (5th to 15th
 *            percentile); random (every hand); a weight from 0 to 1 as
 *            AKs:0.5 (default 1)
 *   on a board  RANGE where FILTER, ... (oddsmith_range_parse_board and the
 *            equity query's players): the hands passing any filter, less those
 *            passing a '!' filter. Made hands, weakest first: nothing,
 *            weakerpair, secondpair, toppair, overpair, twopair, trips (one
 *            hole card with a board pair), set (a pocket pair with a board
 *            card), straight, flush, fullhouse, quads, straightflush (short
 *            deck: flush above fullhouse); '+' keeps it and every stronger one;
 *            pair: any pair using a hole card. Draws on a flop or turn:
 *            flushdraw, oesd, gutshot. A made hand counts only where a hole
 *            card takes part in it (a pair on the board alone is nothing).
 * A hand named twice counts once, with its last weight; weight 0 leaves it out.
 * Omaha Hi/Lo ranges are Omaha ranges, likewise for five cards. */
#define ODDSMITH_GAME_HOLDEM 0
#define ODDSMITH_GAME_OMAHA 1
#define ODDSMITH_GAME_OMAHA_HILO 2
#define ODDSMITH_GAME_SHORTDECK 3    /* short deck: 36 cards, sixes to aces; Hold'em notation, ranks 6 to A */
#define ODDSMITH_GAME_OMAHA5 4       /* five-card Omaha: two of five hole cards, three of the board */
#define ODDSMITH_GAME_OMAHA5_HILO 5  /* five-card Omaha Hi/Lo (eight-or-better) */

typedef struct oddsmith_range oddsmith_range;

/* Parses range text of `length` bytes (-1: up to a NUL) for a game. Returns a
 * range of at least one hand, to release with oddsmith_range_free; or NULL on
 * error, with the 1-based byte column of the fault in *error_column and a
 * message saying what was expected in `error` (NUL-terminated, cut to
 * error_size bytes). The column is 0 for a fault outside the text (an unknown
 * game, a NULL text, no memory). error_column and error may be NULL. */
ODDSMITH_API oddsmith_range *oddsmith_range_parse(const char *text, int length, int game, int *error_column,
                                                  char *error, int error_size);

/* oddsmith_range_parse on a board (`board`: card text as oddsmith_parse_cards
 * reads it, 0 to 5 cards; NULL or "" for none): the range's board filters
 * ("QQ+, AKs where toppair+, flushdraw") applied, and hands holding a board
 * card left out. A bad board, or one that leaves the range no hand, is an
 * error at column 0; filters without a board, or passed by no hand, an error
 * at the column of "where"; a filter unknown or wrong here, at its own. */
ODDSMITH_API oddsmith_range *oddsmith_range_parse_board(const char *text, int length, int game, const char *board,
                                                        int *error_column, char *error, int error_size);

/* Number of hands in the range (0 for NULL). */
ODDSMITH_API int oddsmith_range_size(const oddsmith_range *range);

/* Hand `index` (0 .. size-1): its cards, ascending, into cards[0..4] (2, 4 or 5 of
 * them) and its weight into *weight (may be NULL). Returns the number of cards,
 * or 0, writing nothing, for a NULL range or an index outside the range. */
ODDSMITH_API int oddsmith_range_hand(const oddsmith_range *range, int index, int cards[5], double *weight);

/* Releases a range from oddsmith_range_parse; NULL is ignored. */
ODDSMITH_API void oddsmith_range_free(oddsmith_range *range);

/* What a hand has made on a board, as the board filters name it: one of
 * ODDSMITH_MADE_*, weakest first in Hold'em's order (short deck ranks the
 * flush above the full house). A made hand counts only where a hole card takes
 * part in it; Omaha plays two hole cards with three of the board. */
#define ODDSMITH_MADE_NOTHING 0
#define ODDSMITH_MADE_WEAKER_PAIR 1   /* a lower board card paired, or a pocket pair under the top card */
#define ODDSMITH_MADE_SECOND_PAIR 2
#define ODDSMITH_MADE_TOP_PAIR 3
#define ODDSMITH_MADE_OVERPAIR 4
#define ODDSMITH_MADE_TWO_PAIR 5
#define ODDSMITH_MADE_TRIPS 6         /* one hole card with a board pair */
#define ODDSMITH_MADE_SET 7           /* a pocket pair with a board card */
#define ODDSMITH_MADE_STRAIGHT 8
#define ODDSMITH_MADE_FLUSH 9
#define ODDSMITH_MADE_FULL_HOUSE 10
#define ODDSMITH_MADE_QUADS 11
#define ODDSMITH_MADE_STRAIGHT_FLUSH 12

/* The ODDSMITH_MADE_* of `hole` (the game's hole cards) on `board` (3 to 5
 * cards), all real and different (short deck: sixes to aces), and the
 * ODDSMITH_DRAW_* bits of its draws into *draws when draws is not NULL (0 on a
 * river; finding them tries every next card). -1, writing nothing, for
 * anything else. */
ODDSMITH_API int oddsmith_made_hand(int game, const int *hole, int hole_count, const int *board, int board_count,
                                    int *draws);

/* The display name of an ODDSMITH_MADE_* value ("Top pair", "Set", "Nothing"),
 * written as the text functions above; -1 for another value. */
ODDSMITH_API int oddsmith_made_hand_name(int made, char *out, int size);

/* ---- Equity calculator ------------------------------------------------------
 * Every player is a hand or a range; equity is the player's average share of
 * the pot (ties split it; in Hi/Lo half to the best high and half to the best
 * eight-or-better low, all to the high without a low), as an exact fraction.
 * Card removal is joint: an assignment of hands in which a card repeats is not
 * a deal. Reentrant, no process-wide state, never prints; it runs on `threads`
 * threads (0: every core) and returns when they are done. */
#define ODDSMITH_MODE_AUTO 0        /* exact when that is quick, else Monte Carlo to 0.0005 */
#define ODDSMITH_MODE_EXACT 1       /* every assignment of hands, every board */
#define ODDSMITH_MODE_MONTE_CARLO 2 /* `trials` deals, or until every standard error <= target */
#define ODDSMITH_MAX_PLAYERS 23       /* Hold'em: 23 hands and a board use 51 cards */
#define ODDSMITH_OMAHA_MAX_PLAYERS 11 /* Omaha and Omaha Hi/Lo */
#define ODDSMITH_SHORTDECK_MAX_PLAYERS 15 /* short deck: 15 hands and a board use 35 of 36 cards */
#define ODDSMITH_OMAHA5_MAX_PLAYERS 9     /* five-card Omaha and its Hi/Lo */
#define ODDSMITH_MAX_TRIALS 281474976710656LL /* 2^48: the most Monte-Carlo deals one query may ask for */
#define ODDSMITH_DEFAULT_MAX_SECONDS 60.0 /* the time bound unless max_seconds says otherwise */

/* What oddsmith_equity returns. */
#define ODDSMITH_STATUS_OK 0
#define ODDSMITH_STATUS_BAD_QUERY 1      /* impossible or malformed; includes exact runs over the time bound */
#define ODDSMITH_STATUS_CANCELLED 2      /* the progress callback asked to stop */
#define ODDSMITH_STATUS_NO_MEMORY 3
#define ODDSMITH_STATUS_TARGET_NOT_MET 4 /* a result short of its standard-error target or trial count at the time bound */

/* Called from the calling thread with the share of the work done (0..1);
 * a non-zero return cancels the run. */
typedef int (*oddsmith_progress_fn)(double done, void *user);

typedef struct oddsmith_equity_query {
  int size;                    /* sizeof(oddsmith_equity_query), for later growth */
  int game;                    /* ODDSMITH_GAME_* */
  int player_count;            /* 2 .. ODDSMITH_*MAX_PLAYERS of the game (Hold'em 23, short deck 15, Omaha 11, five-card Omaha 9) */
  const char *const *players;  /* each a hand ("AhKh") or range ("QQ+, AKs", "random") */
  const char *board;           /* 0 to 5 known board cards ("Qh Jh 2c"); NULL for none */
  const char *dead;            /* cards out of play; NULL for none */
  int mode;                    /* ODDSMITH_MODE_* */
  int threads;                 /* 0: every core */
  long long trials;            /* Monte Carlo: deals to run (at most ODDSMITH_MAX_TRIALS); 0: until target_stderr */
  double target_stderr;        /* Monte Carlo: stop when every player's standard error is at most this; 0: 0.0005 */
  unsigned long long seed;     /* Monte Carlo: 0 asks the system; equal seeds and trials give equal results on any thread count */
  oddsmith_progress_fn progress; /* may be NULL */
  void *progress_user;
  /* Added later; a caller whose size ends before a field gets its default. */
  double max_seconds;          /* the time bound (0: ODDSMITH_DEFAULT_MAX_SECONDS) of the whole run: an exact
                                  run estimated to take longer on one core is refused (automatic mode simulates
                                  instead); Monte Carlo stops there with the deals done, short of its target or
                                  trials (ODDSMITH_STATUS_TARGET_NOT_MET); a bound over 1e9 s, infinity
                                  included, counts as 1e9 s; a NaN or negative one is a bad query */
} oddsmith_equity_query;

typedef struct oddsmith_player_equity {
  double equity;    /* average share of the pot, 0..1 */
  double win;       /* share of deals taking the whole pot alone (a scoop in Hi/Lo) */
  double tie;       /* share of deals sharing the best hand, or a best half in Hi/Lo, without a scoop */
  double std_error; /* standard error of the equity; 0 when exact */
} oddsmith_player_equity;

typedef struct oddsmith_equity_result {
  int size;                    /* set by the caller: sizeof(oddsmith_equity_result) */
  int exact;                   /* 1 when enumerated exactly */
  long long deals;             /* deals evaluated */
  double seconds;              /* wall-clock time of the run */
  unsigned long long seed;     /* the seed a Monte-Carlo run used (0 when exact) */
  int player_count;
  oddsmith_player_equity players[ODDSMITH_MAX_PLAYERS];
  /* Added later; written only when the caller's size covers it. */
  int target_met;              /* 1, or 0 when the run fell short of its target or trials (status 4) */
  /* Added later still; written only when the caller's size covers it. Hi/Lo:
   * the part of each player's equity won with the low half (the high part is
   * equity - low_equity); 0 in the other games. */
  double low_equity[ODDSMITH_MAX_PLAYERS];
} oddsmith_equity_result;

/* Computes the equities. Returns ODDSMITH_STATUS_OK and fills `result`.
 * Otherwise `error` (NUL-terminated, cut to error_size bytes; may be NULL) says
 * why: ODDSMITH_STATUS_BAD_QUERY for a query that is impossible or malformed (a
 * card twice, a range with no hand left, too many players, bad text, more than
 * ODDSMITH_MAX_TRIALS trials) or an exact enumeration estimated to take longer
 * than max_seconds on one core (the message gives the estimate);
 * ODDSMITH_STATUS_CANCELLED when the progress callback cancelled;
 * ODDSMITH_STATUS_NO_MEMORY; and in these three cases `result` is left
 * untouched. ODDSMITH_STATUS_TARGET_NOT_MET when a Monte-Carlo run fell short:
 * a target_stderr given here was not reached within max_seconds (the run uses
 * the whole bound), the default target would clearly take longer (given up
 * early), or a trial count did not fit (the run stops at the bound); `result`
 * then holds the deals done, with target_met = 0.
 *
 * The progress callback is first called within about a quarter of a second and
 * then at least that often, with a share that never decreases; a cancel is
 * honoured within about half a second. Automatic mode never refuses for time: an
 * exact run estimated over the bound (or over half a second) is simulated
 * instead, and a run always does its first few thousand deals, however small
 * the bound. A standard-error target does not choose the mode: automatic mode
 * enumerates when that is quick, an exact answer meeting every target. Callers built against the smaller, earlier query
 * and result (their size fields say so) keep working. */
ODDSMITH_API int oddsmith_equity(const oddsmith_equity_query *query, oddsmith_equity_result *result, char *error,
                                 int error_size);

/* ---- Games ---------------------------------------------------------------
 * The facts of each game, from the library's one table of games: the command
 * line and the Python package take their game lists and limits from here. */
#define ODDSMITH_GAME_COUNT 6 /* games are numbered 0 .. ODDSMITH_GAME_COUNT - 1 */

typedef struct oddsmith_game_facts {
  int size;                 /* set by the caller: sizeof(oddsmith_game_facts) */
  int game;                 /* ODDSMITH_GAME_* */
  char name[24];            /* the name the command line and Python take: "omaha-hilo" */
  char alias[24];           /* a second name they accept ("hilo"), or "" */
  char title[32];           /* for people: "Omaha Hi/Lo" */
  int hole_cards;           /* 2, 4 or 5 */
  int board_cards;          /* 5 */
  int deck_size;            /* 52, or 36 for short deck (sixes to aces) */
  int lowest_card;          /* the deck's lowest card number: 0, or 16 for short deck */
  int max_players;          /* ODDSMITH_*MAX_PLAYERS of the game */
  int hilo;                 /* 1: half the pot goes to the best eight-or-better low */
  long long starting_hands; /* distinct sets of hole cards the deck deals */
} oddsmith_game_facts;

/* A game by number (name NULL), or by name or alias (the number is then not
 * read): returns its ODDSMITH_GAME_* number and fills `facts` (may be NULL), or
 * -1 for an unknown game or a `facts` whose size field is below its sizeof. */
ODDSMITH_API int oddsmith_game_info(int game, const char *name, oddsmith_game_facts *facts);

/* ---- Range breakdown -----------------------------------------------------
 * The first player's range on the board, hand by hand, against the other
 * players: the query is oddsmith_equity's (players, board, dead, game, mode,
 * trials or target, seed, threads, max_seconds, progress and cancel all hold
 * for the whole breakdown). Each hand's equity is against the others given that
 * hand (card removal applied): two Hold'em ranges run exactly in one sorted
 * sweep per board; otherwise each hand is its own run, exact when all of them
 * are quick (or asked for), else seeded Monte Carlo (hand i with seed + i).
 * On flop and turn boards the breakdown also holds each hand's draws and every
 * player's equity after each card that can come next. Reentrant: the handle is
 * the caller's, read by any thread. */
typedef struct oddsmith_breakdown oddsmith_breakdown;

#define ODDSMITH_DRAW_FLUSH 1       /* a next card of one suit makes a flush the hand lacked */
#define ODDSMITH_DRAW_OPEN_ENDED 2  /* next cards of two or more ranks (under 13 cards) make a straight */
#define ODDSMITH_DRAW_GUTSHOT 4     /* next cards of one rank make a straight */
#define ODDSMITH_DRAW_WRAP 8        /* 13 or more next cards make a straight (Omaha) */
#define ODDSMITH_DRAW_NUT_FLUSH 16  /* with _FLUSH: the hand holds the suit's highest card off the board */
#define ODDSMITH_DRAW_SECOND_NUT_FLUSH 32  /* with _FLUSH: the suit's second highest card off the board */
#define ODDSMITH_DRAW_LOW 64        /* Hi/Lo, no low yet: a next card gives the hand a low */
#define ODDSMITH_DRAW_NUT_LOW 128   /* with _LOW: most such cards give it the best low there is */
#define ODDSMITH_BREAKDOWN_CATEGORIES 0
#define ODDSMITH_BREAKDOWN_DRAWS 1
#define ODDSMITH_BREAKDOWN_LOWS 2   /* Hi/Lo only */

/* Runs the breakdown: a handle, or NULL with *status (may be NULL) set to an
 * ODDSMITH_STATUS_* code and `error` saying why, as oddsmith_equity does. A
 * handle comes with *status ODDSMITH_STATUS_OK, or ODDSMITH_STATUS_TARGET_NOT_MET
 * when some Monte-Carlo part fell short of its target or trial count at the
 * time bound (every hand and next card is present; `error` says what fell
 * short). The whole breakdown keeps max_seconds: work that cannot fit is
 * refused at once with its estimate, and no hand is ever reported with an
 * equity it did not get (a hand no opponent hand can face is left out). */
ODDSMITH_API oddsmith_breakdown *oddsmith_breakdown_run(const oddsmith_equity_query *query, int *status, char *error,
                                                        int error_size);
ODDSMITH_API void oddsmith_breakdown_free(oddsmith_breakdown *breakdown);
/* The player count; *exact 1 when enumerated, *deals, *seed (Monte Carlo's base
 * seed). Any pointer may be NULL; 0 for a NULL handle. */
ODDSMITH_API int oddsmith_breakdown_summary(const oddsmith_breakdown *breakdown, int *exact, long long *deals,
                                            unsigned long long *seed);
ODDSMITH_API int oddsmith_breakdown_hand_count(const oddsmith_breakdown *breakdown);
/* Hand `index`, best equity first: its cards (ascending), weight, equity, hand
 * value on the board (0 before the flop) and ODDSMITH_DRAW_* bits. Returns the
 * card count (2, 4 or 5), or 0 for a bad index. */
ODDSMITH_API int oddsmith_breakdown_hand(const oddsmith_breakdown *breakdown, int index, int cards[5], double *weight,
                                         double *equity, int *value, int *draws);
/* Hand `index`'s labels, in the words of the summary tables, each written
 * NUL-terminated and cut to its size (any buffer may be NULL with size 0): what
 * its own cards make ("Top pair", "Set", "Nothing"; "" before the flop), its
 * draws joined by ", " ("nut flush draw, OESD"; "" for none), and in Hi/Lo its
 * low ("Nut low", "2nd-nut low", "Other low"; "" for none and in other games).
 * Returns 1, or 0 for a bad index. */
ODDSMITH_API int oddsmith_breakdown_hand_labels(const oddsmith_breakdown *breakdown, int index, char *made,
                                                int made_size, char *draws, int draws_size, char *low, int low_size);
/* Row `index` of a summary table (ODDSMITH_BREAKDOWN_CATEGORIES: the made
 * hands strongest first, as oddsmith_made_hand_name names them;
 * ODDSMITH_BREAKDOWN_DRAWS: the draws as oddsmith_draw_names names them,
 * joined by " + ", with " + pair" or " + two pair+" for what the hand has made,
 * and "no draw", the low draws left to the lows; ODDSMITH_BREAKDOWN_LOWS, Hi/Lo
 * only, where some hand has a low or a low draw: "Nut low", "2nd-nut low",
 * "Other low", "nut low draw", "low draw", "No low").
 * Only rows holding hands are listed. The name is written NUL-terminated, cut
 * to name_size bytes; weighted combos, share of the range's weight, average
 * equity. Returns 1, or 0 past the end. */
ODDSMITH_API int oddsmith_breakdown_row(const oddsmith_breakdown *breakdown, int table, int index, char *name,
                                        int name_size, double *combos, double *share, double *equity);
ODDSMITH_API int oddsmith_breakdown_next_card_count(const oddsmith_breakdown *breakdown);
/* Next card `index` (card order): the card, and every player's equity with it
 * on the board into equities[0 .. player count - 1]. Returns 1, or 0 for a bad index. */
ODDSMITH_API int oddsmith_breakdown_next_card(const oddsmith_breakdown *breakdown, int index, int *card,
                                              double *equities);
/* What next card `index` completes for the first player's range: the shares
 * of its weight (over its hands not holding the card) whose flush draw it
 * makes a flush, whose straight draw (open-ended, gutshot, wrap) a straight,
 * and in Hi/Lo whose low draw a low (0 in other games). Any pointer may be
 * NULL. Returns 1, or 0 for a bad index. */
ODDSMITH_API int oddsmith_breakdown_next_card_completes(const oddsmith_breakdown *breakdown, int index, double *flush,
                                                        double *straight, double *low);

/* ---- Tournaments: ICM and push/fold ----------------------------------------
 * Reentrant, no process-wide state, never print; each call runs on the calling
 * thread, reports progress and honours a cancel through the callback, and
 * stops at its time bound. Status codes as oddsmith_equity's. */
#define ODDSMITH_ICM_MAX_PLAYERS 1000000   /* stacks one ICM query may hold */
#define ODDSMITH_PUSHFOLD_MAX_PLAYERS 10   /* players a push/fold table seats */
#define ODDSMITH_PUSHFOLD_MAX_SPOTS 1022   /* decisions of a ten-handed table: 2^n - 2 for n players */
#define ODDSMITH_CLASS_COUNT 169           /* Hold'em starting-hand classes: row * 13 + col on the
                                              chart, ace first; pairs on the diagonal, suited above */

/* Prize equity under the independent chip model (Malmuth-Harville): a player
 * finishes first with probability proportional to their stack, the next place
 * goes likewise among the rest. Exact over subsets of the paid places when
 * that is quick (automatic mode: up to about 4e7 subsets, e.g. 25 players all
 * paid), else a seeded Monte-Carlo estimate. Players without chips finish
 * last, sharing those places' prizes; equal stacks get equal equity. */
typedef struct oddsmith_icm_query {
  int size;                    /* sizeof(oddsmith_icm_query), for later growth */
  int player_count;            /* 1 .. ODDSMITH_ICM_MAX_PLAYERS */
  const double *stacks;        /* player_count stacks, >= 0, at least one above 0 */
  int payout_count;            /* 1 .. player_count */
  const double *payouts;       /* prize of 1st, 2nd, ... place, each >= 0 */
  int mode;                    /* ODDSMITH_MODE_*: automatic, exact (refused when it would not fit in memory), Monte Carlo */
  long long samples;           /* Monte Carlo: finishing orders to draw; 0: until target_stderr */
  double target_stderr;        /* Monte Carlo: stop once every standard error is at most this share of the
                                  prize pool; 0: 0.001 */
  unsigned long long seed;     /* Monte Carlo: 0 asks the system; equal seeds give equal results */
  double max_seconds;          /* the time bound (0: ODDSMITH_DEFAULT_MAX_SECONDS) */
  oddsmith_progress_fn progress; /* may be NULL */
  void *progress_user;
} oddsmith_icm_query;

typedef struct oddsmith_icm_result {
  int size;                    /* sizeof(oddsmith_icm_result) */
  int exact;                   /* 1 when computed exactly */
  long long samples;           /* Monte Carlo: finishing orders drawn */
  double seconds;
  unsigned long long seed;     /* the seed a Monte-Carlo run used (0 when exact) */
  double *equity;              /* the caller's array of player_count: each player's prize equity */
  double *std_error;           /* the caller's array of player_count, or NULL: standard errors (0 when exact) */
} oddsmith_icm_result;

/* Returns ODDSMITH_STATUS_OK and fills `result`, or a status and `error` (as
 * oddsmith_equity): ODDSMITH_STATUS_BAD_QUERY for bad stacks or payouts (a
 * negative stack, every stack zero, more payouts than players, none) or an
 * exact run that does not fit; ODDSMITH_STATUS_TARGET_NOT_MET with the
 * samples drawn when the bound came first. */
ODDSMITH_API int oddsmith_icm(const oddsmith_icm_query *query, oddsmith_icm_result *result, char *error,
                              int error_size);

/* Push/fold: each player in turn folds or goes all-in; once one has, the
 * players behind call or fold (several may call: side pots where the stacks
 * differ). Heads-up the small blind is the button. The equilibrium over the
 * 169 classes by CFR+, the payoff in chips or, with payouts, in ICM prize
 * equity of every stack after the hand. Pots of two are valued with the exact
 * class-against-class all-in equities (heads-up, pairs of hands sharing a card
 * never meet); pots of three or more with seeded Monte-Carlo values against
 * the other players' ranges, refreshed as the ranges settle (the result gives
 * their standard error). */
typedef struct oddsmith_pushfold_query {
  int size;                    /* sizeof(oddsmith_pushfold_query) */
  int player_count;            /* 2 .. ODDSMITH_PUSHFOLD_MAX_PLAYERS */
  const double *stacks;        /* big blinds, from the button. Heads-up: button/small blind, big blind.
                                  Three or more: button, small blind, big blind, then the others clockwise;
                                  the player after the big blind (with three, the button) acts first.
                                  A stack short of its blind and ante posts what it has, all-in */
  double small_blind;          /* big blinds; a big blind of 0 asks for 0.5 and 1 */
  double big_blind;
  double ante;                 /* per player */
  int big_blind_ante;          /* 1: the big blind posts every player's ante */
  int payout_count;            /* 0: chips; else 1 .. player_count payouts for ICM */
  const double *payouts;
  int without_card_removal;    /* 1: every player's class dealt as if no card were out (by hand counts
                                  only); 0: each pair of players' hands miss each other (heads-up
                                  exactly; with three or more pairwise, folded hands included) */
  double target_exploitability; /* stop once the best-response gains add up to at most this (payoff units);
                                   0: 0.00001 big blinds, or 1e-7 of the prize pool (the chart's: ten
                                   times that); three or more players: 0.001 big blinds, or 1e-5 of the pool */
  double max_seconds;          /* the time bound (0: ODDSMITH_DEFAULT_MAX_SECONDS) */
  oddsmith_progress_fn progress; /* may be NULL */
  void *progress_user;
  int threads;                 /* three or more players: threads sampling the multiway pots (0: one) */
  unsigned long long seed;     /* three or more players: the multiway pots' seed (0: 1); equal seeds give
                                  equal results on any thread count */
} oddsmith_pushfold_query;

/* A decision: pusher -1 for a player's first action (push or fold, all before
 * folded), else the player whose push they answer (call or fold), with
 * `callers` the players who called it before (bit p for player p). */
typedef struct oddsmith_pushfold_spot {
  int player;
  int pusher;
  int callers;
  double share;                              /* share of all hands pushed (or called) */
  double strategy[ODDSMITH_CLASS_COUNT];     /* per class: share of its hands pushed (or called) */
} oddsmith_pushfold_spot;

typedef struct oddsmith_pushfold_result {
  int size;                    /* sizeof(oddsmith_pushfold_result) */
  int icm;                     /* 1 when the payoff is prize equity */
  int iterations;
  double seconds;
  double exploitability;       /* the players' best-response gains added up, in the payoff's unit */
  int player_count;
  double best_response_gain[ODDSMITH_PUSHFOLD_MAX_PLAYERS];
  double ev_chips[ODDSMITH_PUSHFOLD_MAX_PLAYERS];  /* expected stack change, big blinds */
  double ev_prize[ODDSMITH_PUSHFOLD_MAX_PLAYERS];  /* expected prize equity (0 without payouts) */
  int spot_count;              /* 2^n - 2: the n - 1 first actions in the order of play, then the answers */
  oddsmith_pushfold_spot spots[ODDSMITH_PUSHFOLD_MAX_SPOTS];  /* about 1.4 MB: allocate the result on the heap */
  long long multiway_deals;    /* three or more players: deals of the multiway pots' last refresh */
  double multiway_std_error;   /* the largest standard error of a sampled all-in equity (share of the pot),
                                  over the multiway pots reached in 1 hand in 10,000 or more, averaged over
                                  the classes that get there (0 heads-up) */
} oddsmith_pushfold_result;

/* Returns ODDSMITH_STATUS_OK and fills `result`; ODDSMITH_STATUS_TARGET_NOT_MET
 * (result filled) when the time bound came before the target; else a status
 * and `error`. */
ODDSMITH_API int oddsmith_pushfold(const oddsmith_pushfold_query *query, oddsmith_pushfold_result *result,
                                   char *error, int error_size);

/* The heads-up chart: equal stacks from `smallest` to `largest` big blinds in
 * `step`s (at most 10,000), each solved as oddsmith_pushfold (the query's
 * stacks and player count unused); per class, the largest stack at which it is
 * pushed (at least half its hands) into push_up_to and called into call_up_to
 * (0: never); the worst exploitability met into *worst (may be NULL). */
ODDSMITH_API int oddsmith_pushfold_chart(const oddsmith_pushfold_query *query, double smallest, double largest,
                                         double step, double push_up_to[ODDSMITH_CLASS_COUNT],
                                         double call_up_to[ODDSMITH_CLASS_COUNT], double *worst, char *error,
                                         int error_size);

/* A class strategy (ODDSMITH_CLASS_COUNT shares) as range notation: "TT+,
 * A9s+, KQo, QJo:0.45" (shares within 0.005 of 0 or 1 as 0 or 1), written as
 * the text exports write (NUL-terminated, cut to size); returns the whole
 * text's length, "" for no hands, or -1 for a NULL strategy. Class labels:
 * oddsmith_class_label. */
ODDSMITH_API int oddsmith_class_range_text(const double *strategy, char *out, int size);
/* Class `cls`'s label ("AA", "AKs", "72o"); returns its length, or -1 outside 0..168. */
ODDSMITH_API int oddsmith_class_label(int cls, char *out, int size);

/* ---- The postflop solver ------------------------------------------------
 * Heads-up Hold'em, short deck, Omaha or five-card Omaha (high) from the
 * flop, turn or river: Discounted CFR
 * over the whole betting tree, every turn and river card dealt, to a target
 * exploitability (the mean of the two players' best-response gains, exact).
 * Utilities are chips won over the spot from its start: with no rake OOP's EV
 * and IP's add up to the pot. A solver handle is used from one thread at a
 * time; handles are independent (no process-wide state). */
typedef struct oddsmith_solver oddsmith_solver;
typedef struct oddsmith_solver_node oddsmith_solver_node;

#define ODDSMITH_SOLVER_NO_RAISE_CAP (-1)
#define ODDSMITH_SOLVER_DEFAULT_MAX_MEMORY 4294967296LL /* 4 GiB */

typedef struct oddsmith_solver_query {
  int size;                    /* sizeof(oddsmith_solver_query): oddsmith_solver_query_init sets it and every
                                  default; fields past a caller's size take their defaults */
  int game;                    /* ODDSMITH_GAME_HOLDEM, _SHORTDECK, _OMAHA or _OMAHA5 */
  const char *ranges[2];       /* OOP's and IP's ranges in the game's range notation, weights allowed ("QQ+, AKs:0.5";
                                  Omaha: "AAKKds, 15%") */
  const char *board;           /* 3, 4 or 5 cards ("Qs Jh 2h") */
  const char *dead;            /* cards out of play; NULL for none */
  int pot;                     /* chips in the middle at the start */
  int stack;                   /* effective stack behind, chips */
  /* Sizes per street ([0] flop, [1] turn, [2] river) and player ([0] OOP, [1]
   * IP), NULL or "" for none: bets "33%, 75%, e, a" (of the pot; geometric;
   * all-in), raises "2.5x, 100%, a" (times the bet faced; of the pot after
   * calling; all-in). Amounts are whole chips, rounded half away from zero. */
  const char *bets[3][2];
  const char *raises[3][2];
  int donk;                    /* 1: OOP may lead into the last street's aggressor on the turn and river */
  double add_allin;            /* all-in offered when the stack behind is at most this many pots (default 1.5; 0 off) */
  double force_allin;          /* a bet is the all-in when the stack behind after a call would be at most this
                                  many pots after it (default 0.15; 0 off) */
  double merge;                /* sizes whose ratios to the pot differ by less than this merge (default 0.1; 0 off) */
  int max_raises;              /* raises per street (default 3), or ODDSMITH_SOLVER_NO_RAISE_CAP */
  double rake_rate;            /* share of the pot taken at the end of the hand (default 0) */
  double rake_cap;             /* chips; 0: no cap */
  int threads;                 /* 0: every core; results are identical on any count */
  long long max_memory;        /* bytes; a tree estimated above it is refused (0: the default, 4 GiB) */
  int compress;                /* 1: regrets and strategy sums in 16 bits (about half the memory) */
  const char *locks;           /* node locks, one per line (NULL for none): "PATH=ACTION:FREQ,..." for the
                                  acting range, "PATH|HAND|ACTION:FREQ,..." for one hand; unlisted actions
                                  share what is left equally; a card in PATH may be "*" (every card) */
} oddsmith_solver_query;

/* Sets query->size and every default: Hold'em, no ranges or board, no sizes,
 * thresholds 1.5, 0.15 and 0.1, a raise cap of 3, no rake, every core, 4 GiB. */
ODDSMITH_API void oddsmith_solver_query_init(oddsmith_solver_query *query);

typedef struct oddsmith_solver_tree_info {
  int size;                    /* sizeof(oddsmith_solver_tree_info) */
  long long street_trees;      /* distinct betting trees of a street */
  long long action_nodes;      /* decision points over every dealt card */
  long long terminal_nodes;    /* folds, showdowns and all-in runouts over every card */
  long long chance_nodes;
  long long stored_values;     /* per-hand regrets (as many strategy sums) */
  long long memory_bytes;      /* the estimate checked against max_memory */
  int hands[2];                /* each range's hands beside the board and dead cards */
} oddsmith_solver_tree_info;

/* The tree's size and memory, without allocating it. ODDSMITH_STATUS_OK,
 * ODDSMITH_STATUS_NO_MEMORY (info filled) when the estimate is over
 * max_memory, or ODDSMITH_STATUS_BAD_QUERY with `error`. When `text` is not
 * NULL the tree is written there as text (cut to text_size, as the text
 * exports write), each street tree's actions to max_depth actions (-1: all). */
ODDSMITH_API int oddsmith_solver_measure(const oddsmith_solver_query *query, oddsmith_solver_tree_info *info,
                                         char *text, int text_size, int max_depth, char *error, int error_size);

/* Builds the solver (nothing solved yet); NULL with `error` for a bad query or
 * a tree over the memory bound (the message gives its size). */
ODDSMITH_API oddsmith_solver *oddsmith_solver_create(const oddsmith_solver_query *query, char *error, int error_size);
ODDSMITH_API void oddsmith_solver_free(oddsmith_solver *solver);

/* Called from the solving thread at least every quarter second, and once
 * when the solve stops (its answer then unread); a non-zero return stops the
 * solve within half a second. exploitability_pct is the last measured (-1
 * before the first). */
typedef int (*oddsmith_solver_progress_fn)(int iteration, double exploitability_pct, double seconds, void *user);

typedef struct oddsmith_solve_options {
  int size;                    /* sizeof(oddsmith_solve_options) */
  double target_pct;           /* stop at this exploitability, percent of the pot (0: 0.5; negative: no target) */
  int max_iterations;          /* 0: 1000 */
  double max_seconds;          /* 0: no bound */
  oddsmith_solver_progress_fn progress; /* may be NULL */
  void *progress_user;
} oddsmith_solve_options;

#define ODDSMITH_SOLVER_STOP_TARGET 0
#define ODDSMITH_SOLVER_STOP_ITERATIONS 1
#define ODDSMITH_SOLVER_STOP_SECONDS 2
#define ODDSMITH_SOLVER_STOP_CANCELLED 3

typedef struct oddsmith_solver_result {
  int size;                    /* sizeof(oddsmith_solver_result) */
  int iterations;              /* in all, over every solve call */
  double seconds;
  double exploitability;       /* chips; -1 before any iteration */
  double exploitability_pct;   /* percent of the starting pot */
  int converged;               /* 1 when the target was met */
  int stop;                    /* ODDSMITH_SOLVER_STOP_* */
  double ev[2];                /* OOP's and IP's EV over the spot, chips */
  double equity[2];            /* each range's equity against the other at the start */
  long long memory_bytes;
} oddsmith_solver_result;

/* Solves on from where the last call stopped. ODDSMITH_STATUS_OK when the
 * target was met; ODDSMITH_STATUS_TARGET_NOT_MET at the iteration cap or the
 * time bound, and ODDSMITH_STATUS_CANCELLED when the callback stopped it,
 * with `result` filled and the strategies reached so far kept; else
 * ODDSMITH_STATUS_BAD_QUERY with `error`. `options` may be NULL (defaults). */
ODDSMITH_API int oddsmith_solver_solve(oddsmith_solver *solver, const oddsmith_solve_options *options,
                                       oddsmith_solver_result *result, char *error, int error_size);

/* A node by its action path: "" for the root, or steps separated by commas,
 * each an action ("check", "bet 50%", "bet 30", "raise 2.5x", "raise 125",
 * "call", "fold", "allin") or, where a street starts, its card ("7h"). NULL
 * with `error` for a path that leads nowhere. The node holds copies of all it
 * reports; free it with oddsmith_solver_node_free. */
ODDSMITH_API oddsmith_solver_node *oddsmith_solver_node_at(const oddsmith_solver *solver, const char *path,
                                                           char *error, int error_size);
ODDSMITH_API void oddsmith_solver_node_free(oddsmith_solver_node *node);

#define ODDSMITH_NODE_ACTION 0       /* a player acts */
#define ODDSMITH_NODE_CHANCE 1       /* the next street's card comes */
#define ODDSMITH_NODE_FOLD 2         /* `player` folded */
#define ODDSMITH_NODE_SHOWDOWN 3
#define ODDSMITH_NODE_RUNOUT 4       /* both all-in before the river */

#define ODDSMITH_ACTION_CHECK 0
#define ODDSMITH_ACTION_BET 1
#define ODDSMITH_ACTION_RAISE 2
#define ODDSMITH_ACTION_CALL 3
#define ODDSMITH_ACTION_FOLD 4
#define ODDSMITH_ACTION_ALLIN 5

typedef struct oddsmith_solver_node_info {
  int size;                    /* sizeof(oddsmith_solver_node_info) */
  int kind;                    /* ODDSMITH_NODE_* */
  int player;                  /* 0 OOP, 1 IP: who acts (or folded) */
  int pot;                     /* chips in the middle */
  int street_bets[2];          /* chips each has put in on this street */
  int stacks[2];               /* chips each has behind */
  int board_count;
  int board[5];
  int action_count;            /* action nodes */
  int card_count;              /* chance nodes: the cards that can come */
  int hand_count[2];           /* each range's hands */
  double total_weight[2];      /* each range's reaching weight */
  double ev[2];                /* each range's EV given the node is reached, chips */
  double equity[2];            /* each range's equity against the other's reaching range */
  int locked_hands;            /* action nodes: the acting range's hands whose strategy is locked here (written
                                  only when `size` covers it) */
} oddsmith_solver_node_info;

/* Returns 0, or -1 for a NULL node or an info whose size is below its sizeof. */
ODDSMITH_API int oddsmith_solver_node_summary(const oddsmith_solver_node *node, oddsmith_solver_node_info *info);
/* The node's canonical path ("check, bet 20, call, 7h"), as the text exports write. */
ODDSMITH_API int oddsmith_solver_node_path(const oddsmith_solver_node *node, char *out, int size);
/* Action `index`: its ODDSMITH_ACTION_* kind, the chips the actor has put in on
 * the street after it (a raise to 125 is 125; 0 for check and fold), the
 * acting range's share taking it, and the sizes that gave it ("50%", "2.5x";
 * as the text exports write; may be NULL). Returns 0, or -1 out of range. */
ODDSMITH_API int oddsmith_solver_node_action(const oddsmith_solver_node *node, int index, int *kind, int *amount,
                                             double *frequency, char *sizes, int sizes_size);
/* Player `player`'s hands (the game's hole cards each: 2, 4 or 5, the higher
 * first; `cards` holds that many per hand), reaching
 * weights, EVs and equities (NaN where the weight is 0), the first
 * `capacity` of them; any array may be NULL. Returns the hand count, or -1. */
ODDSMITH_API int oddsmith_solver_node_hands(const oddsmith_solver_node *node, int player, int *cards, double *weight,
                                            double *ev, double *equity, int capacity);
/* The acting player's strategy, hand by hand: out[hand * action_count +
 * action], the first `capacity` values. Returns hand_count * action_count, or -1. */
ODDSMITH_API int oddsmith_solver_node_strategy(const oddsmith_solver_node *node, double *out, int capacity);
/* Chance nodes: the cards that can come, ascending. Returns their count, or -1. */
ODDSMITH_API int oddsmith_solver_node_cards(const oddsmith_solver_node *node, int *out, int capacity);

/* The locked nodes' canonical paths ("check, bet 20"; "*" for every card),
 * one per line, as the text exports write. Returns the text's length, or -1. */
ODDSMITH_API int oddsmith_solver_locks(const oddsmith_solver *solver, char *out, int size);
/* The last solve's result (a loaded solver: the saved one) and the game
 * (ODDSMITH_GAME_*; may be NULL). Returns 0, or -1 for a NULL solver or a
 * result whose size is below its sizeof. */
ODDSMITH_API int oddsmith_solver_last_result(const oddsmith_solver *solver, oddsmith_solver_result *result, int *game);

/* Saved solutions: the spot, the tree's rules, the locks, the last result and
 * the strategies in one zstd-compressed file with a checksum, written to a
 * temporary file in the target's folder and renamed over it. `bits` 16 (or
 * 0): the average strategies in 16 bits; 32: the strategy sums exactly.
 * ODDSMITH_STATUS_OK, or ODDSMITH_STATUS_BAD_QUERY with `error` (a build
 * without zstd says so). */
ODDSMITH_API int oddsmith_solver_save(const oddsmith_solver *solver, const char *path, int bits, char *error,
                                      int error_size);
/* A solver rebuilt from a saved file, its node reports as before saving
 * (exact from 32 bits, to 1/65535 of each frequency from 16); threads 0:
 * every core; max_memory 0: 4 GiB. NULL with `error` for a file that is
 * missing, truncated, corrupt, of a newer format, or over the bound. */
ODDSMITH_API oddsmith_solver *oddsmith_solver_load(const char *path, int threads, long long max_memory, char *error,
                                                   int error_size);

/* NOLINTEND(modernize-use-using) */
#ifdef __cplusplus
}
#endif

#endif /* ODDSMITH_H */
