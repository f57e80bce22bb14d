// The tests' brute force over an equity query: every completion of the board
// and every assignment of one hand per player with no card twice, each player's
// share of the pot worked out from the rules (Hi/Lo halves split among the best
// high and the best qualifying low). Slow by design; for small queries only.
#pragma once

#include <algorithm>
#include <vector>

#include "calculator/equity_query.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "eval/short_deck.h"
#include "support/reference_poker.h"

namespace reference {

struct Deal {
  std::vector<const oddsmith::RangeHand*> hands;  // one per player
  double weight = 0;                              // the product of the hands' weights
  std::vector<double> share;                      // of the pot, per player
  std::vector<double> low_share;                  // the part of share won with a low
  std::vector<char> split;                        // shared a best hand or half, without a scoop
  std::vector<int> high, low;                     // the hands' values
};

template <class Visit>
class DealWalk {
 public:
  DealWalk(const oddsmith::calc::EquityQuery& q, Visit& visit) : q_(q), visit_(visit), board_(q.board) {
    const std::size_t n = q.players.size();
    deal_.hands.resize(n), deal_.share.resize(n), deal_.low_share.resize(n), deal_.split.resize(n);
    deal_.high.resize(n), deal_.low.resize(n);
    oddsmith::CardMask used = q.dead | ~oddsmith::calc::game_deck(q.game);
    for (int c : board_) used |= oddsmith::card_bit(c);
    boards(used, 0);
  }

 private:
  void boards(oddsmith::CardMask used, int from) {
    if (board_.size() == 5) return hands(0, used, 1.0);
    for (int c = from; c < 52; ++c) {
      if (used & oddsmith::card_bit(c)) continue;
      board_.push_back(c);
      boards(used | oddsmith::card_bit(c), c + 1);
      board_.pop_back();
    }
  }

  void hands(std::size_t p, oddsmith::CardMask used, double weight) {
    if (p == q_.players.size()) return showdown(weight);
    for (const oddsmith::RangeHand& h : q_.players[p].hands()) {
      if (h.mask & used) continue;
      deal_.hands[p] = &h;
      hands(p + 1, used | h.mask, weight * h.weight);
    }
  }

  void showdown(double weight) {
    using oddsmith::calc::Game;
    const std::size_t n = deal_.hands.size();
    std::vector<int>& high = deal_.high;
    std::vector<int>& low = deal_.low;
    const int* b = board_.data();
    for (std::size_t p = 0; p < n; ++p) {
      const auto& c = deal_.hands[p]->cards;
      low[p] = oddsmith::kNoLow;
      if (q_.game == Game::holdem) {
        high[p] = oddsmith::eval7(b[0], b[1], b[2], b[3], b[4], c[0], c[1]);
      } else if (q_.game == Game::shortdeck) {
        const int seven[7] = {b[0], b[1], b[2], b[3], b[4], c[0], c[1]};
        high[p] = oddsmith::eval_shortdeck(seven, 7);  // the rank-multiset tables, not the calculator's
      } else if (q_.game == Game::omaha5 || q_.game == Game::omaha5_hilo) {
        // Every two of the five hole cards with every three board cards; the
        // low by the brute force over each four of the five.
        const int hole[5] = {c[0], c[1], c[2], c[3], c[4]};
        high[p] = reference::best_omaha5(b, hole, [](const int* f) { return oddsmith::eval5(f[0], f[1], f[2], f[3], f[4]); });
        if (q_.game == Game::omaha5_hilo)
          for (int skip = 0; skip < 5; ++skip) {
            int four[4], k = 0;
            for (int i = 0; i < 5; ++i)
              if (i != skip) four[k++] = hole[i];
            low[p] = std::min(low[p], reference::omaha_low_brute_force(b, four));
          }
      } else {
        high[p] = oddsmith::eval_omaha_high(b[0], b[1], b[2], b[3], b[4], c[0], c[1], c[2], c[3]);
        if (q_.game == Game::omaha_hilo)
          low[p] = oddsmith::eval_omaha_low(b[0], b[1], b[2], b[3], b[4], c[0], c[1], c[2], c[3]);
      }
    }
    const int best_high = *std::min_element(high.begin(), high.end());
    const int best_low = *std::min_element(low.begin(), low.end());
    const double highs = static_cast<double>(std::count(high.begin(), high.end(), best_high));
    const double lows = best_low < oddsmith::kNoLow ? static_cast<double>(std::count(low.begin(), low.end(), best_low)) : 0;
    Deal& deal = deal_;
    deal.weight = weight;
    for (std::size_t p = 0; p < n; ++p) {
      const bool h = high[p] == best_high, l = lows > 0 && low[p] == best_low;
      deal.low_share[p] = l ? 0.5 / lows : 0;
      deal.share[p] = (h ? (lows > 0 ? 0.5 : 1.0) / highs : 0) + deal.low_share[p];
      deal.split[p] = deal.share[p] != 1 && ((h && highs > 1) || (l && lows > 1));
    }
    visit_(static_cast<const Deal&>(deal));
  }

  const oddsmith::calc::EquityQuery& q_;
  Visit& visit_;
  std::vector<int> board_;
  Deal deal_;  // filled anew for each deal
};

// Calls visit(const Deal&) for every deal of `q`.
template <class Visit>
void for_each_deal(const oddsmith::calc::EquityQuery& q, Visit visit) {
  DealWalk<Visit>(q, visit);
}

}  // namespace reference
