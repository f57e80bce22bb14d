// Batch evaluation of checked hands: the values of `count` hands of N cards
// each, 0 for a hand with a card outside its deck or a repeated card, as the
// one-hand checked evaluators give. Where the processor has AVX2, four hands
// go through at once: their cards are gathered card by card across the hands,
// checked (every card in the deck, the one-bit-per-card words' sum equal to
// their OR, so no card repeats), summed into keys and valued by table gathers.
// A block with a refused card, and each hand with a flush, is valued by the
// one-hand evaluator instead.
#pragma once

#include <cstddef>

#include "eval/five_seven.h"
#include "eval/short_deck.h"

#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#include <immintrin.h>
#define ODDSMITH_BATCH_GATHERS 1
#endif

namespace oddsmith {

enum class BatchGame { holdem, shortdeck };

namespace detail {

template <BatchGame Game, int N>
inline int eval_one_checked(const int* c) {
  if constexpr (Game == BatchGame::shortdeck)
    return eval_shortdeck_checked(c, N);
  else if constexpr (N == 7)
    return eval7_checked(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
  else
    return eval5_checked(c[0], c[1], c[2], c[3], c[4]);
}

template <BatchGame Game, int N>
inline void eval_batch_one_by_one(const int* cards, std::size_t count, int* values) {
  for (std::size_t h = 0; h < count; ++h, cards += N) values[h] = eval_one_checked<Game, N>(cards);
}

#ifdef ODDSMITH_BATCH_GATHERS
// Reads a table of 16-bit entries at four indices (four bytes each, the upper
// two dropped: every table read so is followed by others in the one tables
// object).
template <class Index>
[[gnu::target("avx2")]] inline __m128i gather16(const void* table, Index index) {
  const auto* base = static_cast<const int*>(table);
  __m128i words;
  if constexpr (sizeof(Index) == 32)
    words = _mm256_i64gather_epi32(base, index, 2);
  else
    words = _mm_i32gather_epi32(base, index, 2);
  return _mm_and_si128(words, _mm_set1_epi32(0xffff));
}

// Returns how many hands it valued: the whole blocks of four.
template <BatchGame Game, int N>
[[gnu::target("avx2")]] inline std::size_t eval_batch_gathered(const int* cards, std::size_t count, int* values) {
  static_assert(N == 5 || N == 7);
  constexpr bool kShort = Game == BatchGame::shortdeck;
  const __m128i stride = _mm_setr_epi32(0, N, 2 * N, 3 * N);
  const __m128i top = _mm_set1_epi32(kDeckSize - 1);
  const __m128i lowest = _mm_set1_epi32(kShort ? kShortDeckLowestCard : 0);
  const auto* keys = reinterpret_cast<const long long*>(osm_card_key);
  const auto* bits = reinterpret_cast<const long long*>(osm_card_suit_rank);
  const std::uint16_t* low_hash = N == 7 ? osm_count_hash_low7 : osm_count_hash_low5;
  const void* rank_values = kShort ? static_cast<const void*>(osm_shortdeck_unsuited7_value)
                            : N == 7 ? static_cast<const void*>(osm_unsuited7_value)
                                     : static_cast<const void*>(osm_unsuited5_value);
  std::size_t h = 0;
  for (; h + 4 <= count; h += 4) {
    const int* c = cards + h * N;
    __m128i card[N];
    __m128i high_card = _mm_setzero_si128(), low_card = _mm_set1_epi32(-1);
    for (int k = 0; k < N; ++k) {
      card[k] = _mm_i32gather_epi32(c + k, stride, 4);
      high_card = _mm_max_epu32(high_card, card[k]);
      if constexpr (kShort) low_card = _mm_min_epu32(low_card, card[k]);
    }
    // Unsigned: a negative card is above the deck.
    __m128i in_deck = _mm_cmpeq_epi32(_mm_max_epu32(high_card, top), top);
    if constexpr (kShort) in_deck = _mm_and_si128(in_deck, _mm_cmpeq_epi32(_mm_min_epu32(low_card, lowest), lowest));
    if (_mm_movemask_ps(_mm_castsi128_ps(in_deck)) != 0xf) {
      eval_batch_one_by_one<Game, N>(c, 4, values + h);
      continue;
    }
    __m256i sum = _mm256_i32gather_epi64(keys, card[0], 8);
    __m256i bit_sum = _mm256_i32gather_epi64(bits, card[0], 8);
    __m256i bit_or = bit_sum;
    for (int k = 1; k < N; ++k) {
      sum = _mm256_add_epi64(sum, _mm256_i32gather_epi64(keys, card[k], 8));
      const __m256i bit = _mm256_i32gather_epi64(bits, card[k], 8);
      bit_sum = _mm256_add_epi64(bit_sum, bit);
      bit_or = _mm256_or_si256(bit_or, bit);
    }
    // A repeated card carries in the sum of its bits, so the sum leaves the OR.
    const __m256i distinct64 = _mm256_cmpeq_epi64(bit_sum, bit_or);
    const __m128i distinct =
        _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(distinct64, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    const __m128i flush = _mm_and_si128(
        _mm256_i64gather_epi32(reinterpret_cast<const int*>(osm_flush_suit),
                               _mm256_srli_epi64(sum, tables::kSuitSignatureShift), 1),
        _mm_set1_epi32(0xff));
    const __m256i low = _mm256_and_si256(sum, _mm256_set1_epi64x(static_cast<long long>(tables::kLowKeyMask)));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi64(sum, tables::kLowKeyBits),
                                          _mm256_set1_epi64x(static_cast<long long>(tables::kHighKeyMask)));
    const __m128i hash = _mm_add_epi32(gather16(low_hash, low), gather16(osm_count_hash_high, high));
    const __m128i value = _mm_and_si128(gather16(rank_values, hash), distinct);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(values + h), value);
    // A flush among distinct cards: the one-hand evaluator values it.
    const __m128i no_flush = _mm_cmpeq_epi32(flush, _mm_setzero_si128());
    const int flushes = _mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(no_flush, distinct)));
    if (flushes) [[unlikely]]
      for (std::size_t i = 0; i < 4; ++i)
        if (flushes >> i & 1) values[h + i] = eval_one_checked<Game, N>(c + i * N);
  }
  return h;
}

inline bool has_gathers() { return __builtin_cpu_supports("avx2"); }
#endif

}  // namespace detail

// N is 5 or 7 for Hold'em, 7 for the short deck.
template <BatchGame Game, int N>
inline void eval_batch_checked(const int* cards, std::size_t count, int* values) {
  std::size_t done = 0;
#ifdef ODDSMITH_BATCH_GATHERS
  if (detail::has_gathers()) done = detail::eval_batch_gathered<Game, N>(cards, count, values);
#endif
  detail::eval_batch_one_by_one<Game, N>(cards + done * N, count - done, values + done);
}

}  // namespace oddsmith
