/* oddsmith: poker hand evaluation and Monte-Carlo equity, as plain C exports.
 *
 * Cards are integers 0..51: rank * 4 + suit, rank 0 = deuce .. 12 = ace,
 * suit 0..3 = clubs, diamonds, hearts, spades (2c = 0, As = 51).
 * Hand values run from 1 (royal flush) to 7462 (worst high card); lower is
 * stronger. Low values are masks of five low ranks (31 best .. 248 worst), 1024
 * when no eight-or-better low exists.
 *
 * Calls are made from one thread at a time. */
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

#ifdef __cplusplus
extern "C" {
#endif

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

#ifdef __cplusplus
}
#endif

#endif /* ODDSMITH_H */
