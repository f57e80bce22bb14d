// The boards an exact sweep goes through: the known board completed by every
// choice of its missing cards from the deck, numbered in lexicographic order of
// deck positions, so that a chunk is a range of board numbers. The boards'
// evaluator keys are carried card by card (only the cards that change from one
// board to the next are added again).
#pragma once

#include <algorithm>
#include <cstdint>

#include "calculator/internal/chunk_runner.h"
#include "calculator/prepared_query.h"
#include "calculator/internal/showdown.h"
#include "cards/binomial.h"

// Marks a visitor lambda to be inlined into the walk's loop: a call per board
// costs a tenth of a cheap board's time.
#if defined(__GNUC__)
#define INLINE_VISIT __attribute__((always_inline))
#else
#define INLINE_VISIT
#endif

namespace oddsmith::calc {

inline std::int64_t boards_to_walk(const PreparedQuery& q) {
  return binomial(static_cast<int>(q.deck.size()), 5 - q.known);
}

// Calls visit(board, partial, mask) for boards number first .. last-1: `board`
// the five cards, `partial` their keys as Evaluator<G> carries them, `mask`
// their cards. Every sixteenth of the way it calls poll(share done), and stops
// when that returns true.
template <Game G, class Visit>
void walk_boards(const PreparedQuery& q, std::int64_t first, std::int64_t last, const ChunkPoll& poll, Visit&& visit) {
  using E = Evaluator<G>;
  const int left = 5 - q.known;
  const int n = static_cast<int>(q.deck.size());
  int board[5] = {};
  typename E::Partial partial[6];
  CardMask mask[6];
  partial[0] = E::start();
  for (int i = 0; i < q.known; ++i) {
    board[i] = q.board[i];
    partial[0] = E::extend(partial[0], q.board[i]);
  }
  mask[0] = q.known_mask;
  // The first board's deck positions, from its number: position i takes the
  // smallest c past the previous one whose boards reach beyond `rank`.
  int at[5] = {};
  std::int64_t rank = first;
  for (int i = 0, c = 0; i < left; ++i, ++c) {
    for (;; ++c) {
      const std::int64_t with_c = binomial(n - c - 1, left - i - 1);
      if (rank < with_c) break;
      rank -= with_c;
    }
    at[i] = c;
  }
  auto place_from = [&](int i) {
    for (int j = i; j < left; ++j) {
      const int card = q.deck[static_cast<std::size_t>(at[j])];
      board[q.known + j] = card;
      partial[j + 1] = E::extend(partial[j], card);
      mask[j + 1] = mask[j] | card_bit(card);
    }
  };
  if (left == 0) {
    if (first < last) visit(static_cast<const int*>(board), partial[0], mask[0]);
    return;
  }
  place_from(0);
  const std::int64_t poll_every = std::max<std::int64_t>(1, (last - first) / 16);
  std::int64_t until_poll = poll_every;
  const int end = left - 1;  // the last position, which runs in the inner loop
  for (std::int64_t b = first;;) {
    for (; at[end] < n && b < last; ++at[end], ++b) {
      if (--until_poll == 0) {
        if (poll(static_cast<double>(b - first) / static_cast<double>(last - first))) return;
        until_poll = poll_every;
      }
      const int card = q.deck[static_cast<std::size_t>(at[end])];
      board[q.known + end] = card;
      partial[left] = E::extend(partial[end], card);
      mask[left] = mask[end] | card_bit(card);
      visit(static_cast<const int*>(board), partial[left], mask[left]);
    }
    if (b == last) return;
    int i = end - 1;  // the last of the earlier positions that can still move on
    while (i >= 0 && at[i] == n - left + i) --i;
    if (i < 0) return;
    ++at[i];
    for (int j = i + 1; j < left; ++j) at[j] = at[j - 1] + 1;
    place_from(i);
  }
}

}  // namespace oddsmith::calc
