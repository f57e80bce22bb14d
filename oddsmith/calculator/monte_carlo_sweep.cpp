// Monte-Carlo sweep. Deals come in chunks of kChunkDeals, chunk i drawing from
// its own stream (seed, i); a run stopping on a standard error checks it only
// after whole batches of chunks, so where it stops does not depend on threads.
// Tallies are added batch by batch, so memory does not grow with the trials.
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "calculator/internal/random_stream.h"
#include "calculator/internal/sweeps.h"
#include "cards/binomial.h"

namespace oddsmith::calc {

namespace {

constexpr std::int64_t kChunkDeals = 4096;
constexpr std::size_t kTargetBatchChunks = 64;   // between standard-error checks
constexpr std::size_t kTrialsBatchChunks = 256;  // a fixed trial count: only memory and progress depend on it
constexpr std::int64_t kMaxDeals = std::int64_t{1} << 34;  // a stopping point for any target
constexpr int kMaxRejections = 1'000'000;                 // in a row, before giving up

// Draws hand indexes by weight in constant time (Vose's alias method).
class HandSampler {
 public:
  explicit HandSampler(std::span<const RangeHand> hands) : n_(static_cast<std::uint32_t>(hands.size())) {
    const bool uniform = std::all_of(hands.begin(), hands.end(), [&](const RangeHand& h) { return h.weight == hands[0].weight; });
    if (uniform) return;
    double total = 0;
    for (const RangeHand& h : hands) total += h.weight;
    prob_.resize(n_);
    alias_.resize(n_);
    std::vector<double> scaled(n_);
    std::vector<std::uint32_t> small, large;
    for (std::uint32_t i = 0; i < n_; ++i) {
      scaled[i] = hands[i].weight * n_ / total;
      (scaled[i] < 1 ? small : large).push_back(i);
    }
    while (!small.empty() && !large.empty()) {
      const std::uint32_t s = small.back(), l = large.back();
      small.pop_back();
      prob_[s] = scaled[s];
      alias_[s] = l;
      scaled[l] -= 1 - scaled[s];
      if (scaled[l] < 1) {
        large.pop_back();
        small.push_back(l);
      }
    }
    for (std::uint32_t i : large) prob_[i] = 1, alias_[i] = i;
    for (std::uint32_t i : small) prob_[i] = 1, alias_[i] = i;
  }

  std::uint32_t draw(RandomStream& rng) const {
    const std::uint32_t i = rng.below(n_);
    if (prob_.empty()) return i;
    return rng.unit() < prob_[i] ? i : alias_[i];
  }

 private:
  std::uint32_t n_;
  std::vector<double> prob_;
  std::vector<std::uint32_t> alias_;
};

// Omaha's unsuited table is about 22 MB and every deal lands in a new row of it:
// its reads are made for a batch of deals at once, so that their cache and TLB
// misses overlap (see host/omaha.cpp). Hold'em's and short deck's tables, and
// five-card Omaha's pair rows (1.1 MB), stay in the cache.
constexpr int kValueBatch = 32;
template <Game G>
constexpr bool kBatchedReads = G == Game::omaha || G == Game::omaha_hilo;

// Who is dealt how. A player whose range is every hand the deck still holds,
// all of one weight ("random"), is dealt from the cards left once the others
// have theirs: that is exactly the joint distribution (the ways to deal the
// random players do not depend on the other hands), so they never clash. The
// players with narrower ranges are drawn by weight, an assignment of theirs
// with a card twice drawn again; a player with one hand is not drawn at all.
struct Dealing {
  std::vector<std::size_t> narrow, random;
  int board_cards = 0;  // to come
  int first_card = 0;   // the game's deck is cards first_card .. 51 (short deck: from the six)
  int random_cards = 0;  // the random players' and the board's, drawn from what is left
  CardMask out_of_deck = 0;  // the cards no random player or board card can take
  // Whether those cards are drawn from the game's whole deck and drawn again
  // while taken (few taken: cheaper), or by shuffling the deck's front (many taken).
  bool by_rejection = false;
  explicit Dealing(const PreparedQuery& q) {
    const int per_hand = cards_per_hand(q.game);
    for (std::size_t p = 0; p < q.hands.size(); ++p) {
      if (q.hands[p].size() == 1 && !q.every_hand[p]) continue;
      (q.every_hand[p] ? random : narrow).push_back(p);
    }
    board_cards = 5 - q.known;
    random_cards = static_cast<int>(random.size()) * per_hand + board_cards;
    out_of_deck = (CardMask{1} << kDeckSize) - 1;
    for (int c : q.deck) out_of_deck &= ~card_bit(c);
    first_card = std::countr_zero(game_deck(q.game));
    const int span = kDeckSize - first_card;
    int most_taken = span - static_cast<int>(q.deck.size()) + random_cards;
    most_taken += static_cast<int>(narrow.size()) * per_hand;
    by_rejection = most_taken <= span / 2;  // at most two draws a card on average
  }
};

// One chunk's scratch: each deal's hand keys (keys[deal * players + p]; the
// known hands' set once) and prepared board, the Omaha table reads of a batch,
// and the deck the random players and the board are drawn from.
template <Game G>
struct DealScratch {
  std::vector<typename Evaluator<G>::HandKey> keys;
  std::vector<typename Evaluator<G>::Board> boards;
  std::vector<std::uint32_t> index;
  std::vector<int> unsuited;
  std::array<const typename Evaluator<G>::HandKey*, kMaxPlayers> range_keys{};  // narrow players' keys, by hand
  std::array<int, kDeckSize> deck{};  // a permutation of q.deck: draws take its front
  std::array<int, kDeckSize> at{};    // where each card stands in `deck`
  int board[5] = {};                  // the known cards first
  BoardKeys known_keys{0, 0};         // Hold'em: the known board cards' keys
};

// Moves the cards of `taken` (some of the deck's) to the deck's back; returns
// how many are left in front.
template <class Scratch>
int move_to_back(Scratch& s, int size, CardMask taken) {
  while (taken) {
    const int card = std::countr_zero(taken);
    taken &= taken - 1;
    const int from = s.at[static_cast<std::size_t>(card)], to = --size;
    const int other = s.deck[static_cast<std::size_t>(to)];
    s.deck[static_cast<std::size_t>(to)] = card;
    s.deck[static_cast<std::size_t>(from)] = other;
    s.at[static_cast<std::size_t>(card)] = to;
    s.at[static_cast<std::size_t>(other)] = from;
  }
  return size;
}

// Copies a local stream back to where it came from when it goes out of scope.
struct StoreBack {
  RandomStream& to;
  const RandomStream& from;
  ~StoreBack() { to = from; }
};

// Uniform draws below n (1 <= n <= 65536), exactly, four from each 64-bit
// output of the stream, kept in registers by the caller: a 16-bit piece times
// n, whose high half is the draw; the few pieces whose low half falls below
// 65536 mod n (they would favour some values) are passed over.
struct Pieces {
  std::uint64_t bits = 0;
  int left = 0;
  [[gnu::always_inline]] std::uint32_t piece(RandomStream& rng) {
    if (left == 0) {
      bits = rng.next();
      left = 4;
    }
    const std::uint32_t p = static_cast<std::uint32_t>(bits & 0xffff);
    bits >>= 16;
    --left;
    return p;
  }
  [[gnu::always_inline]] std::uint32_t below(RandomStream& rng, std::uint32_t n) {
    for (;;) {
      const std::uint32_t m = piece(rng) * n;
      // (65536 mod n is below n, so it is worked out only for a low half below n.)
      if ((m & 0xffff) >= n || (m & 0xffff) >= (0x10000u - n) % n) [[likely]]
        return m >> 16;
    }
  }
};

// The same draws from 16-bit pieces made ahead, a block at a time, for the
// quick dealing loops: the stream's four words then stay out of the loop's
// registers, and a piece is one load. Pieces come in the stream's order, four
// to each output, low bits first. A chunk keeps one buffer for all its deals.
class PieceBuffer {
 public:
  explicit PieceBuffer(RandomStream& rng) : rng_(rng) {}
  // The next piece, `from` on (the pieces before it used), with at least n
  // ahead (n at most kSize / 2). A dealing loop keeps the pointer in a
  // register and reads a piece with one load.
  const std::uint16_t* ahead(const std::uint16_t* from, std::ptrdiff_t n) {
    if (end_ - from < n) [[unlikely]] {
      at_ = from;
      refill();
      return at_;
    }
    return from;
  }
  // Where the caller's pointer stopped: the next piece to read.
  void stop_at(const std::uint16_t* at) { at_ = at; }
  const std::uint16_t* next() const { return at_; }
  RandomStream& stream() { return rng_; }

 private:
  static constexpr std::ptrdiff_t kSize = 2048;
  // Four streams side by side (the chunk's stream and three more seeded from
  // it, each xoshiro256**), their outputs interleaved: vector code makes four
  // outputs for about the instructions of one, with the same numbers on any
  // processor (AVX2 where the loader can pick it, else SSE2 pairs).
  [[gnu::noinline]] void refill() {
    const std::ptrdiff_t left = end_ - at_;
    std::copy(at_, end_, pieces_.begin());
    const std::ptrdiff_t words = (kSize - left) / 4 / 4 * 4;
    lanes_.fill(pieces_.data() + left, words);
    at_ = pieces_.data();
    end_ = pieces_.data() + left + 4 * words;
  }
  RandomStream& rng_;
  RandomLanes lanes_{rng_};
  std::array<std::uint16_t, kSize> pieces_{};
  const std::uint16_t* at_ = nullptr;
  const std::uint16_t* end_ = nullptr;
};

// Uniform below n (1 <= n <= 65536), exactly, as Pieces::below, from the
// pieces at p (advanced past those used).
[[gnu::always_inline]] inline std::uint32_t draw_below(const std::uint16_t*& p, PieceBuffer& buffer, std::uint32_t n) {
  std::uint32_t m = static_cast<std::uint32_t>(*p++) * n;
  while ((m & 0xffff) < n && (m & 0xffff) < (0x10000u - n) % n) [[unlikely]] {
    p = buffer.ahead(p, 1);
    m = static_cast<std::uint32_t>(*p++) * n;
  }
  return m >> 16;
}

// Deals `deals` deals from `rng` into `out`; false when the narrow players'
// draws kept clashing. kBoardCards: the board cards to come.
template <Game G, int kBoardCards>
bool deal_block(const PreparedQuery& q, const Dealing& dealing, const std::vector<HandSampler>& samplers,
                RandomStream& stream, std::int64_t deals, DealScratch<G>& scratch, SweepTally& out) {
  using E = Evaluator<G>;
  constexpr bool kBatched = kBatchedReads<G>;
  constexpr int kBatch = kBatched ? kValueBatch : 1;
  constexpr int kPerHand = cards_per_hand(G);
  constexpr int kKnown = 5 - kBoardCards;
  RandomStream rng = stream;  // a local copy the compiler keeps in registers
  const StoreBack store_back{stream, rng};
  Pieces pieces;
  // Everything the loop reads, as locals: stores to the deck (ints) could
  // otherwise be taken to change them.
  const CardMask base = q.known_mask | q.dead;
  const int deck_size = static_cast<int>(q.deck.size());
  const int drawn_cards = dealing.random_cards;
  const std::size_t narrow_count = dealing.narrow.size(), random_count = dealing.random.size();
  const std::size_t* const narrow = dealing.narrow.data();
  const std::size_t* const random = dealing.random.data();
  const std::span<const RangeHand>* const hands = q.hands.data();
  const int players = q.players;
  const auto known_keys = scratch.known_keys;
  const bool by_rejection = dealing.by_rejection;
  // Drawn by rejection from the game's deck: cards first_card .. 51.
  const int first_card = dealing.first_card;
  const auto span = static_cast<std::uint32_t>(kDeckSize - first_card);
  const CardMask out_of_deck = dealing.out_of_deck;
  std::array<HandValue, kMaxPlayers> values{};
  typename E::HandKey* const keys = scratch.keys.data();
  typename E::Board* const boards = scratch.boards.data();
  const typename E::HandKey* const* const range_keys = scratch.range_keys.data();
  int* const deck = scratch.deck.data();
  int* const at = scratch.at.data();
  int* const board = scratch.board;
  for (std::int64_t first = 0; first < deals; first += kBatch) {
    const int n = static_cast<int>(std::min<std::int64_t>(kBatch, deals - first));
    for (int d = 0; d < n; ++d) {
      typename E::HandKey* const row = &keys[static_cast<std::size_t>(d) * static_cast<std::size_t>(players)];
      CardMask narrow_used = base;
      if (narrow_count) {
        std::array<std::uint32_t, kMaxPlayers> pick;
        for (int rejections = 0;; ++rejections) {
          if (rejections == kMaxRejections) return false;
          narrow_used = base;
          std::size_t k = 0;
          for (; k < narrow_count; ++k) {
            const std::size_t p = narrow[k];
            const std::uint32_t i = samplers[p].draw(rng);
            const CardMask m = hands[p][i].mask;
            if (m & narrow_used) break;
            narrow_used |= m;
            pick[k] = i;
          }
          if (k == narrow_count) break;
        }
        for (std::size_t k = 0; k < narrow_count; ++k) row[narrow[k]] = range_keys[narrow[k]][pick[k]];
      }
      // The random players' cards and the board's, uniform over the cards left.
      if constexpr (is_seven_card(G)) {
        if (by_rejection) {
          // Few cards out: each drawn from the whole deck, again while it is out, and
          // added to its hand's or the board's keys as it comes.
          CardMask used = narrow_used | out_of_deck;
          auto next_card = [&] {
            int card;
            do card = first_card + static_cast<int>(pieces.below(rng, span));
            while (used & card_bit(card));
            used |= card_bit(card);
            return card;
          };
          for (std::size_t k = 0; k < random_count; ++k) {
            const int a = next_card();
            row[random[k]] = add_card(add_card({0, 0}, a), next_card());
          }
          BoardKeys b = known_keys;
          for (int i = 0; i < kBoardCards; ++i) b = add_card(b, next_card());
          boards[d] = b;
          continue;
        }
      }
      if (by_rejection) {
        // Few cards out: each drawn from the whole deck, again while it is out.
        CardMask used = narrow_used | out_of_deck;
        for (int c = 0; c < drawn_cards; ++c) {
          int card;
          do card = first_card + static_cast<int>(pieces.below(rng, span));
          while (used & card_bit(card));
          used |= card_bit(card);
          deck[c] = card;
        }
      } else if (narrow_count) {
        // Many out: the deck's front shuffled a card at a time (a partial
        // Fisher-Yates shuffle) once the narrow players' cards are moved out
        // of the way; `at` kept up to date for the next deal's move.
        const int left = move_to_back(scratch, deck_size, narrow_used & ~base);
        for (int c = 0; c < drawn_cards; ++c) {
          const int j = c + static_cast<int>(pieces.below(rng, static_cast<std::uint32_t>(left - c)));
          const int card = deck[j], other = deck[c];
          deck[j] = other;
          deck[c] = card;
          at[other] = j;
          at[card] = c;
        }
      } else {
        for (int c = 0; c < drawn_cards; ++c) {
          const int j = c + static_cast<int>(pieces.below(rng, static_cast<std::uint32_t>(deck_size - c)));
          const int card = deck[j];
          deck[j] = deck[c];
          deck[c] = card;
        }
      }
      const int* drawn = deck;
      for (std::size_t k = 0; k < random_count; ++k, drawn += kPerHand) row[random[k]] = E::key_of_cards(drawn);
      if constexpr (is_seven_card(G)) {
        BoardKeys b = known_keys;
        for (int i = 0; i < kBoardCards; ++i) b = add_card(b, drawn[i]);
        boards[d] = b;
      } else {
        for (int i = 0; i < kBoardCards; ++i) board[kKnown + i] = drawn[i];
        boards[d] = E::prepare(board);
      }
    }
    if constexpr (kBatched) {
      std::uint32_t* const index = scratch.index.data();
      int* const unsuited = scratch.unsuited.data();
      const int cells = n * players;
      for (int i = 0; i < cells; ++i) index[i] = E::unsuited_index(boards[i / players], keys[i]);
      for (int i = 0; i < cells; ++i) unsuited[i] = osm_omaha_unsuited_value[index[i]];
      for (int d = 0; d < n; ++d) {
        for (int p = 0; p < players; ++p)
          values[static_cast<std::size_t>(p)] = E::value_given(boards[d], keys[d * players + p], unsuited[d * players + p]);
        settle<G>(values.data(), players, 1.0, out.players.data());
      }
    } else {
      for (int p = 0; p < players; ++p) values[static_cast<std::size_t>(p)] = E::value(boards[0], keys[p]);
      settle<G>(values.data(), players, 1.0, out.players.data());
    }
  }
  return true;
}

// The pot to the best high value (the lowest): the tally of the i-th valued
// hand is tally[player[i]].
[[gnu::always_inline]] inline void settle_high(const int* value, int players, int best, const int* player,
                                               Tally* tally) {
  int winners = 0, winner = 0;
  for (int i = 0; i < players; ++i)
    if (value[i] == best) ++winners, winner = i;
  if (winners == 1) {
    Tally& t = tally[player[winner]];
    t.equity += 1;
    t.equity_squared += 1;
    t.win += 1;
    return;
  }
  const double share = kInverse[static_cast<std::size_t>(winners)];
  for (int i = 0; i < players; ++i) {
    if (value[i] != best) continue;
    Tally& t = tally[player[i]];
    t.equity += share;
    t.equity_squared += share * share;
    t.tie += 1;
  }
}

// Hold'em with only known hands and random players (the commonest query, a
// hand against random opponents), dealt with nothing between the draws and
// the showdown: the cards shuffled off the deck's front, the board's keys
// summed, the hands valued, the pot settled at once.
struct QuickHoldem {
  std::array<BoardKeys, kMaxPlayers> known{};  // the known hands' keys, in `player` order
  std::array<int, kMaxPlayers> player{};        // tally of the i-th valued hand: known hands, then random
  int known_count = 0, random_count = 0;
  BoardKeys known_board{0, 0};
  CardMask out_of_deck = 0;  // the cards no random hand or board card can take
  template <Game G>
  QuickHoldem(const PreparedQuery& q, const Dealing& dealing, const HandKeys<G>& keys) {
    for (int p = 0; p < q.players; ++p)
      if (q.hands[static_cast<std::size_t>(p)].size() == 1) {
        known[static_cast<std::size_t>(known_count)] = keys.of[static_cast<std::size_t>(p)][0];
        player[static_cast<std::size_t>(known_count++)] = p;
      }
    for (std::size_t p : dealing.random) {
      player[static_cast<std::size_t>(known_count) + static_cast<std::size_t>(random_count)] = static_cast<int>(p);
      ++random_count;
    }
    for (int i = 0; i < q.known; ++i) known_board = add_card(known_board, q.board[i]);
    out_of_deck = dealing.out_of_deck;
  }
};

#if defined(__SSE2__)
// One deal's draws at once, eight or sixteen to a vector: lane k gets piece k
// times range k, whose high half is position k's offset. False when some
// lane's low half has its upper ten bits clear and so needs the exact test
// (about one deal in 70): that deal is drawn one card at a time instead, with
// the same pieces, so the numbers do not depend on which path drew them.
template <int kDraw>
class DrawOffsets {
 public:
  static constexpr int kVectors = kDraw > 8 ? 2 : 1;
  explicit DrawOffsets(int deck_size) {
    alignas(16) std::array<std::uint16_t, 16> range{}, valid{};
    for (int k = 0; k < kDraw; ++k) {
      range[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(deck_size - k);
      valid[static_cast<std::size_t>(k)] = 0xffff;
    }
    for (int h = 0; h < kVectors; ++h) {
      range_[h] = _mm_load_si128(reinterpret_cast<const __m128i*>(range.data()) + h);
      valid_[h] = _mm_load_si128(reinterpret_cast<const __m128i*>(valid.data()) + h);
    }
  }
  [[gnu::always_inline]] bool draw(const std::uint16_t* piece, std::uint16_t* offset) const {
    const __m128i upper_bits = _mm_set1_epi16(static_cast<short>(0xffc0));
    __m128i needs_test = _mm_setzero_si128();
    for (int h = 0; h < kVectors; ++h) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(piece) + h);
      _mm_store_si128(reinterpret_cast<__m128i*>(offset) + h, _mm_mulhi_epu16(p, range_[h]));
      const __m128i low = _mm_and_si128(_mm_mullo_epi16(p, range_[h]), upper_bits);
      needs_test = _mm_or_si128(needs_test, _mm_and_si128(valid_[h], _mm_cmpeq_epi16(low, _mm_setzero_si128())));
    }
    return _mm_movemask_epi8(needs_test) == 0;
  }

 private:
  __m128i range_[2]{}, valid_[2]{};
};
#endif

// kPlayers > 0: one known hand and kPlayers - 1 random ones, fixed at compile
// time so that the loops over the players unroll (the commonest queries).
template <Game G, int kBoardCards, int kPlayers>
void deal_quick_holdem(const QuickHoldem& h, PieceBuffer& pieces, std::int64_t deals, Tally* tally) {
  const int known_count = kPlayers > 0 ? 1 : h.known_count;
  const int players = kPlayers > 0 ? kPlayers : h.known_count + h.random_count;
  const CardMask out_of_deck = h.out_of_deck;
  // The cards left, a permutation kept from deal to deal: each deal shuffles
  // its front as far as it draws (a partial Fisher-Yates shuffle), a 16-bit
  // piece per card; no branch depends on the cards, which keeps the
  // processor's guesses right.
  std::array<int, kDeckSize> deck;
  int deck_size = 0;
  for (int c = 0; c < kDeckSize; ++c)
    if (!(out_of_deck & card_bit(c))) deck[static_cast<std::size_t>(deck_size++)] = c;
  const int to_draw = kBoardCards + 2 * (players - known_count);  // the board's cards first, then the hands'
  std::array<int, kMaxPlayers> value;
  const std::uint16_t* piece = pieces.next();
  // Position k takes one of positions k .. deck_size-1: piece k of the deal
  // times their count. A piece whose low half falls below 65536 mod that
  // count would favour some; it is replaced by one from the chunk's stream.
  // (Counts are at most 64, so a low half of 64 or more is always kept: one
  // test of its upper bits.)
  auto draw_one_at_a_time = [&](const std::uint16_t* piece_of_deal) {
#pragma GCC unroll 24
    for (int k = 0; k < to_draw; ++k) {
      const auto range = static_cast<std::uint32_t>(deck_size - k);
      std::uint32_t m = static_cast<std::uint32_t>(piece_of_deal[k]) * range;
      if ((m & 0xffc0) == 0) [[unlikely]] {
        while ((m & 0xffff) < range && (m & 0xffff) < (0x10000u - range) % range)
          m = static_cast<std::uint32_t>(pieces.stream().next() & 0xffff) * range;
      }
      const std::size_t here = static_cast<std::size_t>(k), there = here + (m >> 16);
      const int card = deck[there];
      deck[there] = deck[here];
      deck[here] = card;
    }
  };
#if defined(__SSE2__)
  constexpr int kDraw = kPlayers > 0 ? kBoardCards + 2 * (kPlayers - 1) : 0;
  static_assert(kDraw <= 16);
  const DrawOffsets<kDraw> offsets(deck_size);
  alignas(16) std::array<std::uint16_t, 16> offset;
#endif
  for (std::int64_t deal = 0; deal < deals; ++deal) {
    piece = pieces.ahead(piece, 2 * kMaxPlayers + 5);
#if defined(__SSE2__)
    if (kPlayers > 0 && offsets.draw(piece, offset.data())) [[likely]] {
#pragma GCC unroll 16
      for (int k = 0; k < kDraw; ++k) {
        const std::size_t here = static_cast<std::size_t>(k), there = here + offset[here];
        const int card = deck[there];
        deck[there] = deck[here];
        deck[here] = card;
      }
    } else {
      draw_one_at_a_time(piece);
    }
#else
    draw_one_at_a_time(piece);
#endif
    piece += to_draw;
    const int* const board_cards = deck.data();
    // Player i's hand (i from known_count on): hole(i) and hole2(i).
    auto hole = [&](int i) { return deck[kBoardCards + 2 * static_cast<std::size_t>(i - known_count)]; };
    auto hole2 = [&](int i) { return deck[kBoardCards + 2 * static_cast<std::size_t>(i - known_count) + 1]; };
    // Most boards (none with three cards of a suit) allow no flush: then a
    // hand's value is its rank-only value and its suits are never looked at.
    const std::uint64_t* const card_key = osm_card_key;
    std::uint64_t board_sum = h.known_board.key_sum;
    for (int i = 0; i < kBoardCards; ++i) board_sum += card_key[board_cards[i]];
    int best = kWorstHandValue + 1;
    auto take = [&](int i, int v) {
      value[static_cast<std::size_t>(i)] = v;
      best = std::min(best, v);
    };
    if (!board_allows_flush(board_sum)) {
      for (int i = 0; i < known_count; ++i) take(i, rank_only_value<G>(board_sum + h.known[static_cast<std::size_t>(i)].key_sum));
      for (int i = known_count; i < players; ++i)
        take(i, rank_only_value<G>(board_sum + card_key[hole(i)] +
                                   card_key[hole2(i)]));
    } else {
      BoardKeys board{board_sum, h.known_board.suit_ranks};
      for (int i = 0; i < kBoardCards; ++i) board.suit_ranks |= osm_card_suit_rank[board_cards[i]];
      for (int i = 0; i < known_count; ++i) take(i, Evaluator<G>::value(board, h.known[static_cast<std::size_t>(i)]).high);
      for (int i = known_count; i < players; ++i)
        take(i, Evaluator<G>::value(board, add_card(add_card({0, 0}, hole(i)), hole2(i))).high);
    }
    settle_high(value.data(), players, best, h.player.data(), tally);
  }
  pieces.stop_at(piece);
}

template <Game G, int kBoardCards>
void deal_quick_players(const QuickHoldem& h, PieceBuffer& rng, std::int64_t count, Tally* tally) {
  const int players = h.known_count == 1 ? h.known_count + h.random_count : 0;
  switch (players) {
    case 2: return deal_quick_holdem<G, kBoardCards, 2>(h, rng, count, tally);
    case 3: return deal_quick_holdem<G, kBoardCards, 3>(h, rng, count, tally);
    case 4: return deal_quick_holdem<G, kBoardCards, 4>(h, rng, count, tally);
    case 5: return deal_quick_holdem<G, kBoardCards, 5>(h, rng, count, tally);
    case 6: return deal_quick_holdem<G, kBoardCards, 6>(h, rng, count, tally);
    default: return deal_quick_holdem<G, kBoardCards, 0>(h, rng, count, tally);
  }
}

template <Game G>
bool deal_quick(const QuickHoldem& h, int board_cards, PieceBuffer& rng, std::int64_t count, Tally* tally) {
  switch (board_cards) {
    case 0: deal_quick_players<G, 0>(h, rng, count, tally); break;
    case 1: deal_quick_players<G, 1>(h, rng, count, tally); break;
    case 2: deal_quick_players<G, 2>(h, rng, count, tally); break;
    case 3: deal_quick_players<G, 3>(h, rng, count, tally); break;
    case 4: deal_quick_players<G, 4>(h, rng, count, tally); break;
    default: deal_quick_players<G, 5>(h, rng, count, tally); break;
  }
  return true;
}

// Hold'em and short deck with narrow ranges and known hands, no random player,
// few cards out (the board drawn by rejection): each drawn hand read from one
// array (its cards' mask and keys side by side), uniform ranges drawn from
// 16-bit pieces of the stream, the board's keys summed as its cards come, and
// the rank-only values on boards that allow no flush.
struct QuickRanges {
  struct Entry {
    CardMask mask;
    BoardKeys keys;
  };
  std::vector<std::vector<Entry>> entries;  // [player][hand]; a known hand is its range's one entry
  std::array<bool, kMaxPlayers> uniform{};  // all of one weight: drawn without the alias table
  std::array<int, kMaxPlayers> player{};    // 0 .. players-1, for settle_high
  template <Game G>
  QuickRanges(const PreparedQuery& q, const HandKeys<G>& keys) : entries(q.hands.size()) {
    for (std::size_t p = 0; p < q.hands.size(); ++p) {
      const std::span<const RangeHand> hands = q.hands[p];
      for (std::size_t i = 0; i < hands.size(); ++i) entries[p].push_back({hands[i].mask, keys.of[p][i]});
      uniform[p] = std::all_of(hands.begin(), hands.end(), [&](const RangeHand& h) { return h.weight == hands[0].weight; });
      player[p] = static_cast<int>(p);
    }
  }
};

// kPlayers > 0: that many players, fixed at compile time so that the loops
// over them unroll (two, the commonest); 0: any number.
template <Game G, int kBoardCards, int kPlayers>
bool deal_quick_ranges(const PreparedQuery& q, const Dealing& dealing, const QuickRanges& r,
                       const std::vector<HandSampler>& samplers, const BoardKeys& known_board, PieceBuffer& pieces,
                       std::int64_t deals, Tally* tally) {
  const int players = kPlayers > 0 ? kPlayers : q.players;
  const CardMask base = q.known_mask | q.dead, out_of_deck = dealing.out_of_deck;
  // The game's deck, cards first_card .. 51, as constants of the loop.
  constexpr int first_card = G == Game::shortdeck ? kShortDeckLowestCard : 0;
  constexpr auto span = static_cast<std::uint32_t>(kDeckSize - first_card);
  // Per player: its entries, how many, and how it is drawn (one hand: not at
  // all; all of one weight: from a piece; else by the alias table).
  enum Draw : std::uint8_t { kFixed, kUniform, kWeighted };
  std::array<const QuickRanges::Entry*, kMaxPlayers> entries{};
  std::array<std::uint32_t, kMaxPlayers> sizes{};
  std::array<Draw, kMaxPlayers> draw{};
  for (std::size_t p = 0; p < static_cast<std::size_t>(players); ++p) {
    entries[p] = r.entries[p].data();
    sizes[p] = static_cast<std::uint32_t>(r.entries[p].size());
    draw[p] = sizes[p] == 1 ? kFixed : r.uniform[p] ? kUniform : kWeighted;
  }
  std::array<const BoardKeys*, kMaxPlayers> hand{};
  std::array<int, kMaxPlayers> value{};
  std::array<int, 5> cards{};
  const std::uint16_t* piece = pieces.next();
  for (std::int64_t deal = 0; deal < deals; ++deal) {
    CardMask used = base;
    for (int rejections = 0;; ++rejections) {
      if (rejections == kMaxRejections) [[unlikely]] {
        pieces.stop_at(piece);
        return false;
      }
      used = base;
      piece = pieces.ahead(piece, kMaxPlayers + 5);
      int p = 0;
      for (; p < players; ++p) {
        const auto k = static_cast<std::size_t>(p);
        std::uint32_t i = 0;
        if (draw[k] == kUniform) [[likely]]
          i = draw_below(piece, pieces, sizes[k]);
        else if (draw[k] == kWeighted)
          i = samplers[k].draw(pieces.stream());
        const QuickRanges::Entry& e = entries[k][i];
        if (e.mask & used) [[unlikely]]
          break;
        used |= e.mask;
        hand[k] = &e.keys;
      }
      if (p == players) [[likely]]
        break;
    }
    // The board's cards: drawn again while taken; their suits read only
    // where the board allows a flush.
    used |= out_of_deck;
    std::uint64_t board_sum = known_board.key_sum;
#pragma GCC unroll 5
    for (int i = 0; i < kBoardCards; ++i) {
      int card = first_card + static_cast<int>(draw_below(piece, pieces, span));
      if (used & card_bit(card)) [[unlikely]] {
        do {
          piece = pieces.ahead(piece, 1);
          card = first_card + static_cast<int>(draw_below(piece, pieces, span));
        } while (used & card_bit(card));
      }
      used |= card_bit(card);
      cards[static_cast<std::size_t>(i)] = card;
      board_sum += osm_card_key[card];
    }
    int best = kWorstHandValue + 1;
    if (!board_allows_flush(board_sum)) {
      for (int p = 0; p < players; ++p) {
        const int v = rank_only_value<G>(board_sum + hand[static_cast<std::size_t>(p)]->key_sum);
        value[static_cast<std::size_t>(p)] = v;
        best = std::min(best, v);
      }
    } else {
      BoardKeys board{board_sum, known_board.suit_ranks};
      for (int i = 0; i < kBoardCards; ++i) board.suit_ranks |= osm_card_suit_rank[cards[static_cast<std::size_t>(i)]];
      for (int p = 0; p < players; ++p) {
        const int v = Evaluator<G>::value(board, *hand[static_cast<std::size_t>(p)]).high;
        value[static_cast<std::size_t>(p)] = v;
        best = std::min(best, v);
      }
    }
    settle_high(value.data(), players, best, r.player.data(), tally);
  }
  pieces.stop_at(piece);
  return true;
}

template <Game G, int kBoardCards>
bool deal_quick_ranges_of(const PreparedQuery& q, const Dealing& dealing, const QuickRanges& r,
                          const std::vector<HandSampler>& samplers, const BoardKeys& known_board, PieceBuffer& pieces,
                          std::int64_t deals, Tally* tally) {
  if (q.players == 2)
    return deal_quick_ranges<G, kBoardCards, 2>(q, dealing, r, samplers, known_board, pieces, deals, tally);
  return deal_quick_ranges<G, kBoardCards, 0>(q, dealing, r, samplers, known_board, pieces, deals, tally);
}

// One chunk: its own stream, its deals in blocks, and between blocks a report
// and a look for a cancel (many players take a while over a chunk).
template <Game G>
bool run_chunk(const PreparedQuery& q, const Dealing& dealing, const std::vector<HandSampler>& samplers,
               const HandKeys<G>& hand_keys, const QuickHoldem* quick_holdem, const QuickRanges* quick_ranges,
               std::uint64_t seed, std::uint64_t chunk,
               std::int64_t deals, SweepTally& out, const ChunkPoll& poll) {
  constexpr bool kBatched = kBatchedReads<G>;
  constexpr std::int64_t kBlock = kBatched ? kValueBatch : 256;
  RandomStream rng(seed, chunk);
  out.players.assign(static_cast<std::size_t>(q.players), Tally{});
  const std::size_t players = static_cast<std::size_t>(q.players);
  const std::size_t batch = kBatched ? kValueBatch : 1;
  DealScratch<G> scratch;
  scratch.keys.resize(batch * players);
  for (std::size_t p = 0; p < players; ++p) {
    scratch.range_keys[p] = hand_keys.of[p].data();
    if (q.hands[p].size() == 1)
      for (std::size_t d = 0; d < batch; ++d) scratch.keys[d * players + p] = hand_keys.of[p][0];
  }
  scratch.boards.resize(batch);
  scratch.index.resize(kBatched ? batch * players : 0);
  scratch.unsuited.resize(scratch.index.size());
  for (std::size_t i = 0; i < q.deck.size(); ++i) {
    scratch.deck[i] = q.deck[i];
    scratch.at[static_cast<std::size_t>(q.deck[i])] = static_cast<int>(i);
  }
  for (int i = 0; i < q.known; ++i) {
    scratch.board[i] = q.board[i];
    scratch.known_keys = add_card(scratch.known_keys, q.board[i]);
  }
  // The quick loops' draws (their lanes seeded from the chunk's stream; the
  // other loops read the stream itself).
  std::optional<PieceBuffer> pieces;
  if (quick_holdem || quick_ranges) pieces.emplace(rng);
  // The board's cards to come as a constant of the dealing loop.
  auto block = [&](std::int64_t count) {
    if constexpr (is_seven_card(G)) {
      if (quick_holdem) {
        return deal_quick<G>(*quick_holdem, dealing.board_cards, *pieces, count, out.players.data());
      }
      if (quick_ranges) {
        Tally* const tally = out.players.data();
        const BoardKeys known = scratch.known_keys;
        switch (dealing.board_cards) {
          case 0: return deal_quick_ranges_of<G, 0>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
          case 1: return deal_quick_ranges_of<G, 1>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
          case 2: return deal_quick_ranges_of<G, 2>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
          case 3: return deal_quick_ranges_of<G, 3>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
          case 4: return deal_quick_ranges_of<G, 4>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
          default: return deal_quick_ranges_of<G, 5>(q, dealing, *quick_ranges, samplers, known, *pieces, count, tally);
        }
      }
    }
    switch (dealing.board_cards) {
      case 0: return deal_block<G, 0>(q, dealing, samplers, rng, count, scratch, out);
      case 1: return deal_block<G, 1>(q, dealing, samplers, rng, count, scratch, out);
      case 2: return deal_block<G, 2>(q, dealing, samplers, rng, count, scratch, out);
      case 3: return deal_block<G, 3>(q, dealing, samplers, rng, count, scratch, out);
      case 4: return deal_block<G, 4>(q, dealing, samplers, rng, count, scratch, out);
      default: return deal_block<G, 5>(q, dealing, samplers, rng, count, scratch, out);
    }
  };
  for (std::int64_t first = 0; first < deals; first += kBlock) {
    if (first > 0 && poll(static_cast<double>(first) / static_cast<double>(deals))) return true;
    if (!block(std::min(kBlock, deals - first))) return false;
  }
  out.weight = static_cast<double>(deals);
  out.deals = deals;
  return true;
}

double largest_stderr(const SweepTally& t) {
  double worst = 0;
  for (const Tally& p : t.players) worst = std::max(worst, p.standard_error(static_cast<double>(t.deals)));
  return worst;
}

template <Game G>
SweepResult run_game(const PreparedQuery& q, const RunBudget& budget, ProgressFn progress, void* user) {
  const Dealing dealing(q);
  std::vector<HandSampler> samplers;  // the narrow players' (the random ones are dealt from the deck)
  for (std::size_t p = 0; p < q.hands.size(); ++p)
    samplers.emplace_back(q.every_hand[p] ? std::span<const RangeHand>{} : q.hands[p]);
  // The random players' hands are made from their cards as they are dealt.
  const HandKeys<G> keys(q.hands, [&](std::size_t p) {
    return std::find(dealing.random.begin(), dealing.random.end(), p) == dealing.random.end();
  });
  std::optional<QuickHoldem> quick;
  std::optional<QuickRanges> quick_ranges;
  if constexpr (is_seven_card(G)) {
    if (dealing.narrow.empty()) quick.emplace(q, dealing, keys);
    else if (dealing.random.empty() && dealing.by_rejection) quick_ranges.emplace(q, keys);
  }
  const bool fixed = budget.trials > 0;
  const std::int64_t goal = fixed ? budget.trials : kMaxDeals;
  auto deals_in = [&](std::size_t chunk) {
    return std::min<std::int64_t>(kChunkDeals, goal - static_cast<std::int64_t>(chunk) * kChunkDeals);
  };
  ChunkSchedule schedule;
  schedule.chunks = static_cast<std::size_t>((goal + kChunkDeals - 1) / kChunkDeals);
  schedule.batch = fixed ? kTrialsBatchChunks : kTargetBatchChunks;
  schedule.threads = budget.threads;
  schedule.deadline = budget.deadline;
  // A target: the deals it is expected to need, from the standard error so far
  // (it falls as one over the square root of the deals); checked after every
  // batch. A target the caller named runs until the deadline; the default one
  // is given up as soon as reaching it looks like outlasting the deadline, so
  // that a question asked without one answers promptly.
  const auto start = Clock::now();
  double expected = 4.0 * kTargetBatchChunks * kChunkDeals;  // a first guess
  bool gave_up = false;
  if (!fixed) {
    schedule.share = [&](double chunks_done) { return std::min(1.0, chunks_done * kChunkDeals / expected); };
    schedule.after_batch = [&](const SweepTally& total, std::size_t) {
      const double se = largest_stderr(total), done = static_cast<double>(total.deals);
      if (se <= budget.target_stderr) return false;
      const double needed = done * (se / budget.target_stderr) * (se / budget.target_stderr);
      const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      if (needed > static_cast<double>(kMaxDeals) ||
          (!budget.target_given && (needed - done) / done * elapsed > budget.seconds_left())) {
        gave_up = true;
        return false;
      }
      expected = std::max(done + static_cast<double>(kTargetBatchChunks * kChunkDeals), needed);
      return true;
    };
  }
  SweepResult result = run_in_chunk_order(
      q.players, schedule,
      [&](std::size_t c, SweepTally& out, const ChunkPoll& poll) {
        return run_chunk<G>(q, dealing, samplers, keys, quick ? &*quick : nullptr,
                            quick_ranges ? &*quick_ranges : nullptr, budget.seed, c, deals_in(c), out, poll);
      }, progress,
      user);
  // Out of time: the answer is the deals done, short of the trials or the target.
  if (result.status == RunStatus::timed_out) {
    result.status = RunStatus::done;
    result.target_met = false;
    result.out_of_time = true;
  } else if (!fixed && result.status == RunStatus::done && !result.stuck) {
    result.target_met = !gave_up && largest_stderr(result.tally) <= budget.target_stderr;
  }
  return result;
}

}  // namespace

SweepResult run_monte_carlo(const PreparedQuery& q, const RunBudget& budget, ProgressFn progress, void* user) {
  return with_game(q.game, [&](auto g) { return run_game<g()>(q, budget, progress, user); });
}

}  // namespace oddsmith::calc
