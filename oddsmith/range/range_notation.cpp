#include "range/range_notation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "cards/card_text.h"
#include "range/internal/hand_patterns.h"
#include "range/internal/start_orders.h"

namespace oddsmith {

namespace {

// Work allowed for one text, in hands named (a pass over every hand of the
// deck counts a quarter of a hand each): every sensible range is far below it,
// and reaching it takes well under a second. Everything else a parse does is
// linear in the text.
constexpr std::size_t kWorkBudget = 5'000'000;

constexpr std::string_view kExpectRank = "a rank (" ODDSMITH_RANK_LETTERS ")";


bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One character as an error message shows it: quoted, a whole UTF-8 character
// as it is ('é'), a control byte or a stray one escaped ('\x1b').
std::string shown(std::string_view text, std::size_t at) {
  if (at >= text.size()) return "the end";
  std::string quoted(1, '\'');
  quoted += shown_text(text.substr(at, character_length(text, at)));
  quoted += '\'';
  return quoted;
}

// A fault at byte `at` of `text` as a parse error: columns past what an int
// holds are clamped, and the message says so.
RangeParseError error_at(std::string_view text, std::size_t at, std::string message) {
  const std::size_t column = std::min<std::size_t>(at, text.size()) + 1;
  constexpr std::size_t kLargest = std::numeric_limits<int>::max();
  if (column > kLargest) message += " (at byte " + std::to_string(column) + ", past the largest column reported)";
  return {static_cast<int>(std::min(column, kLargest)), std::move(message)};
}

bool is_wild(char c) { return c == 'x' || c == 'X'; }

// A hand class: two ranks (high first) and suitedness. A rank of kAnyRank
// stands for every rank (x): Axs, Kxo, xx.
constexpr int kAnyRank = -1;
struct HandClass {
  int high, low;
  char kind;  // 's', 'o', or 0 for both
  bool wild() const { return low == kAnyRank; }
  bool pair() const { return high == low && !wild(); }
};

// Where "where" starts the board filters: the word, alone, after the range.
std::size_t where_position(std::string_view text) {
  constexpr std::string_view kWhere = "where";
  for (std::size_t at = text.find(kWhere); at != std::string_view::npos; at = text.find(kWhere, at + 1)) {
    const bool starts_word = at == 0 || is_space(text[at - 1]);
    const bool ends_word = at + kWhere.size() == text.size() || is_space(text[at + kWhere.size()]);
    if (starts_word && ends_word) return at;
  }
  return std::string_view::npos;
}

// The board filters after "where": comma-separated, each an optional '!', a
// name of letters and an optional '+'. Their names are checked where they are
// applied, against the made-hand vocabulary.
class FilterParser {
 public:
  FilterParser(std::string_view text, std::size_t begin) : text_(text), at_(begin) {}

  bool run(std::vector<BoardFilterTerm>& out, RangeParseError& error) {
    while (true) {
      skip_spaces();
      BoardFilterTerm term;
      if (at_ < text_.size() && text_[at_] == '!') {
        term.remove = true;
        ++at_;
        skip_spaces();
      }
      const std::size_t name_begin = at_;
      while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_])))
        term.name += static_cast<char>(std::tolower(static_cast<unsigned char>(text_[at_++])));
      if (term.name.empty()) {
        error = error_at(text_, at_, "expected a board filter such as toppair+ or !flushdraw" +
                                         std::string(out.empty() && !term.remove ? " after 'where'" : "") + ", got " +
                                         shown(text_, at_));
        return false;
      }
      term.column = error_at(text_, name_begin, {}).column;
      if (at_ < text_.size() && text_[at_] == '+') {
        term.or_better = true;
        ++at_;
      }
      skip_spaces();
      out.push_back(std::move(term));
      if (at_ == text_.size()) return true;
      if (text_[at_] != ',') {
        error = error_at(text_, at_, "expected '+', ',' or the end after a board filter, got " + shown(text_, at_));
        return false;
      }
      ++at_;
    }
  }

 private:
  void skip_spaces() {
    while (at_ < text_.size() && is_space(text_[at_])) ++at_;
  }
  std::string_view text_;
  std::size_t at_;
};

class Parser {
 public:
  Parser(std::string_view text, RangeGame game)
      : text_(text), game_(game), cards_(range_cards(game)), builder_(range_cards(game)) {}

  RangeParse run() {
    if (parse_text()) {
      Range range = std::move(builder_).finish();
      if (!range.empty()) return {std::move(range), {}, {}, 0};
      fail(0, "the range holds no hand: every item has weight 0 or names none");
    }
    return {std::nullopt, std::move(error_), {}, 0};
  }

 private:
  bool fail(std::size_t at, std::string message) {
    error_ = error_at(text_, at, std::move(message));
    return false;
  }
  bool expected(std::size_t at, std::string_view what) {
    std::string message = "expected " + std::string(what) + ", got " + shown(text_, at);
    if (at + 1 < text_.size() && text_[at] == '1' && text_[at + 1] == '0') message += " (tens are written T)";
    return fail(at, std::move(message));
  }

  bool parse_text() {
    for (std::size_t i = 0; i < text_.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text_[i]);
      if ((c < 0x20 && !is_space(text_[i])) || c >= 0x7f) return expected(i, "printable ASCII range text");
    }
    if (std::all_of(text_.begin(), text_.end(), is_space))
      return fail(0, "expected a range such as 'QQ+, AKs' or 'random', got an empty text");
    std::size_t begin = 0;
    while (true) {
      const std::size_t comma = std::min(text_.find(',', begin), text_.size());
      if (!parse_item(begin, comma)) return false;
      if (comma == text_.size()) return true;
      begin = comma + 1;
    }
  }

  // One item text_[begin, end): a body and an optional ":weight".
  bool parse_item(std::size_t begin, std::size_t end) {
    while (begin < end && is_space(text_[begin])) ++begin;
    std::size_t stop = end;
    while (stop > begin && is_space(text_[stop - 1])) --stop;
    if (begin == stop) return expected(begin, end < text_.size() ? "a hand before ','" : "a hand after ','");
    item_start_ = begin;
    double weight = 1.0;
    // The ':' is looked for within the item only, so a parse stays linear in the text.
    const std::size_t colon = text_.substr(begin, stop - begin).find(':');
    std::size_t body_end = colon == std::string_view::npos ? stop : begin + colon;
    if (body_end < stop && !parse_weight(body_end + 1, stop, weight)) return false;
    while (body_end > begin && is_space(text_[body_end - 1])) --body_end;
    if (begin == body_end) return expected(begin, "a hand before ':'");
    return parse_body(begin, body_end, weight) && spend(0, begin);
  }

  // Counts `work` more and fails once the total passes the budget: called
  // before each pass over the deck and after each item.
  bool spend(std::size_t work, std::size_t at) {
    work_ += work;
    if (work_ <= kWorkBudget) return true;
    return fail(at, "the range names more than " + std::to_string(kWorkBudget) + " hands: write it with fewer items");
  }

  bool parse_weight(std::size_t begin, std::size_t end, double& weight) {
    while (begin < end && is_space(text_[begin])) ++begin;
    const char* first = text_.data() + begin;
    const char* last = text_.data() + end;
    const auto [ptr, ec] = std::from_chars(first, last, weight, std::chars_format::fixed);
    if (begin == end || ec != std::errc{} || ptr != last)
      return expected(ec == std::errc{} && ptr != last ? static_cast<std::size_t>(ptr - text_.data()) : begin,
                      "a weight from 0 to 1 after ':'");
    if (!(weight >= 0.0 && weight <= 1.0))
      return fail(begin, "a weight is from 0 to 1, got " + std::string(first, last));
    return true;
  }

  bool parse_body(std::size_t begin, std::size_t end, double weight) {
    if (cards_ >= 4) return parse_piece(begin, end, weight);
    // Two cards: a piece, less any pieces after '!' (22+!AA: the pairs but aces).
    const std::size_t bang = std::min(text_.substr(0, end).find('!', begin), end);
    if (bang == end) return parse_piece(begin, end, weight);
    // The pieces' hands are collected into the parser's own lists (never a
    // local's), which collected_ points at only while a piece is read.
    kept_.clear();
    collected_ = &kept_;
    const bool read = parse_excluded_piece(begin, bang);
    collected_ = nullptr;
    if (!read) return false;
    std::vector<bool> excluded(hands_in_deck(2));
    for (std::size_t at = bang; at < end;) {
      const std::size_t next = std::min(text_.substr(0, end).find('!', at + 1), end);
      removed_.clear();
      collected_ = &removed_;
      const bool removed_read = parse_excluded_piece(at + 1, next);
      collected_ = nullptr;
      if (!removed_read) return false;
      for (const auto& cards : removed_) excluded[combination_index(cards.data(), 2)] = true;
      at = next;
    }
    for (const auto& cards : kept_)
      if (!excluded[combination_index(cards.data(), 2)]) builder_.add_ascending(cards, weight);
    return true;
  }

  // One piece of a two-card item around '!', its hands collected.
  bool parse_excluded_piece(std::size_t begin, std::size_t end) {
    const std::size_t first = begin;
    while (begin < end && is_space(text_[begin])) ++begin;
    while (end > begin && is_space(text_[end - 1])) --end;
    if (begin == end) return expected(begin, first == item_start_ ? "a hand before '!'" : "a hand or class after '!'");
    const bool done = parse_piece(begin, end, 1.0);
    if (!done) collected_ = nullptr;
    return done;
  }

  // A hand reaches the range, or the piece being collected.
  void emit(const std::array<std::uint8_t, kMaxRangeCards>& ascending, double weight) {
    if (collected_) collected_->push_back(ascending);
    else builder_.add_ascending(ascending, weight);
  }
  void emit(int a, int b, double weight) {
    std::array<std::uint8_t, kMaxRangeCards> ascending{};
    ascending[0] = static_cast<std::uint8_t>(std::min(a, b));
    ascending[1] = static_cast<std::uint8_t>(std::max(a, b));
    emit(ascending, weight);
  }

  bool parse_piece(std::size_t begin, std::size_t end, double weight) {
    const std::string_view body = text_.substr(begin, end - begin);
    if (body == "random") {
      if (!spend(hands_in_deck(cards_), begin)) return false;
      for_each_hand(cards_, [&](const std::array<std::uint8_t, kMaxRangeCards>& cards) {
        if (in_range_deck(game_, cards.data())) emit(cards, weight);
      });
      return true;
    }
    // Digits 2-9 are ranks, so a percentage is told by its '%' or by a first 0, 1 or '.'.
    if (body.back() == '%' || body[0] == '0' || body[0] == '1' || body[0] == '.') return parse_percentage(begin, end, weight);
    // A rank then a suit starts one hand (AhKh); a rank then a rank starts a class.
    if (cards_ == 2 && is_card_pattern(body)) return parse_card_pattern(begin, weight);
    if (body.size() >= 2 && rank_of_letter(body[0]) >= 0 && suit_of_letter(body[1]) >= 0) return parse_hand(begin, end, weight);
    if (cards_ >= 4) return parse_pattern_item(begin, end, weight);
    return parse_classes(begin, end, weight);
  }

  // A number from 0 to 100 at `at`; advances past it.
  bool parse_percent_number(std::size_t& at, std::size_t end, double& percent) {
    const char* first = text_.data() + at;
    const auto [ptr, ec] = std::from_chars(first, text_.data() + end, percent, std::chars_format::fixed);
    if (at == end || *first == '-' || ec != std::errc{}) return expected(at, "a percentage such as 10% or 5-15%");
    if (!(percent >= 0 && percent <= 100))
      return fail(at, "a percentage is from 0 to 100, got " + std::string(first, ptr) + "%");
    at = static_cast<std::size_t>(ptr - text_.data());
    return true;
  }

  // "10%": the strongest tenth of all hands; "5-15%" (or "5%-15%"): from the
  // 5th to the 15th percentile. Whole classes of hands alike up to the suits,
  // as ranked in range/start_orders.h.
  bool parse_percentage(std::size_t begin, std::size_t end, double weight) {
    std::size_t at = begin;
    double from = 0, to = 0;
    if (!parse_percent_number(at, end, to)) return false;
    if (at < end && text_[at] == '%' && at + 1 < end && text_[at + 1] == '-') ++at;
    if (at < end && text_[at] == '-') {
      from = to;
      ++at;
      if (!parse_percent_number(at, end, to)) return false;
    }
    if (at == end || text_[at] != '%') {
      if (at == begin + 2 && text_.substr(begin, 2) == "10") return expected(begin, "a hand, a class or a percentage such as 10%");
      return expected(at, "'%' after a percentage (10% or 5-15%)");
    }
    if (++at != end) return expected(at, "',' or the end after a percentage");
    if (!spend(hands_in_deck(cards_) / 4 * (ranking_ ? 1 : 2), begin)) return false;
    if (!ranking_) ranking_.emplace(game_);
    const std::size_t first = ranking_->classes_in_top(std::min(from, to));
    const std::size_t last = ranking_->classes_in_top(std::max(from, to));
    std::size_t index = 0;
    for_each_hand(cards_, [&](const std::array<std::uint8_t, kMaxRangeCards>& cards) {
      const std::size_t place = ranking_->place(index++);
      if (place >= first && place < last) {
        ++work_;
        emit(cards, weight);
      }
    });
    return true;
  }

  bool parse_hand(std::size_t begin, std::size_t end, double weight) {
    int cards[kMaxRangeCards];
    CardMask seen = 0;
    std::size_t at = begin;
    for (int i = 0; i < cards_; ++i, at += 2) {
      const int rank = at < end ? rank_of_letter(text_[at]) : -1;
      if (rank < 0) return expected(at, i == 0 ? std::string(kExpectRank) : "another card (" + std::to_string(cards_) + " make a hand)");
      const int suit = at + 1 < end ? suit_of_letter(text_[at + 1]) : -1;
      if (suit < 0) return expected(at + 1, "a suit (" ODDSMITH_SUIT_LETTERS ")");
      cards[i] = make_card(rank, suit);
      if (cards[i] < lowest_card())
        return fail(at, "short deck plays sixes to aces: there is no " + std::string(text_.substr(at, 2)));
      if (seen & card_bit(cards[i])) return fail(at, "the card " + std::string(text_.substr(at, 2)) + " is repeated in this hand");
      seen |= card_bit(cards[i]);
    }
    if (at < end) return expected(at, "',' or the end after a hand of " + std::to_string(cards_) + " cards");
    ++work_;
    if (cards_ == 2) emit(cards[0], cards[1], weight);
    else builder_.add({cards, static_cast<std::size_t>(cards_)}, weight);
    return true;
  }

  // Two cards each written as a rank or x and a suit or x, at least one x: AhXh
  // (the ace of hearts with any other heart), XsXs, AhXx.
  static bool is_card_pattern(std::string_view body) {
    if (body.size() != 4) return false;
    const auto rank_or_x = [](char c) { return is_wild(c) || rank_of_letter(c) >= 0; };
    const auto suit_or_x = [](char c) { return is_wild(c) || suit_of_letter(c) >= 0; };
    return rank_or_x(body[0]) && suit_or_x(body[1]) && rank_or_x(body[2]) && suit_or_x(body[3]) &&
           std::any_of(body.begin(), body.end(), is_wild);
  }

  bool parse_card_pattern(std::size_t begin, double weight) {
    const auto matches = [&](int card, std::size_t at) {
      const char rank = text_[at], suit = text_[at + 1];
      return (is_wild(rank) || card_rank(card) == rank_of_letter(rank)) &&
             (is_wild(suit) || card_suit(card) == suit_of_letter(suit));
    };
    if (!spend(hands_in_deck(2) / 4, begin)) return false;
    for (int a = lowest_card(); a < kDeckSize; ++a)
      for (int b = a + 1; b < kDeckSize; ++b)
        if ((matches(a, begin) && matches(b, begin + 2)) || (matches(b, begin) && matches(a, begin + 2))) {
          ++work_;
          emit(a, b, weight);
        }
    return true;
  }

  // Two ranks and an optional s/o at `at`; advances past them.
  bool parse_class(std::size_t& at, std::size_t end, HandClass& out) {
    const auto rank_at = [&](std::size_t i) {
      return i >= end ? -2 : is_wild(text_[i]) ? kAnyRank : rank_of_letter(text_[i]) >= 0 ? rank_of_letter(text_[i]) : -2;
    };
    const int first = rank_at(at);
    if (first == -2)
      return expected(at, at == item_begin_ ? "a hand (AhKh), a class (AKs, QQ+, Axs), a percentage (10%) or random" : kExpectRank);
    const int second = rank_at(at + 1);
    if (second == -2) return expected(at + 1, "a second rank (" ODDSMITH_RANK_LETTERS ", or x for any) or a suit");
    at += 2;
    out = {std::max(first, second), std::min(first, second), 0};
    if (at < end && (text_[at] == 's' || text_[at] == 'o')) {
      if (out.pair()) return fail(at, "a pair is neither suited nor offsuit: expected '+', '-', ',' or the end, got " + shown(text_, at));
      out.kind = text_[at++];
    }
    return true;
  }

  bool parse_classes(std::size_t begin, std::size_t end, double weight) {
    std::size_t at = item_begin_ = begin;
    HandClass first{};
    if (!parse_class(at, end, first)) return false;
    if (at == end) return add_class(first, weight);
    if (first.wild()) return expected(at, first.kind ? "',', '!' or the end after a class with x" : "s, o, ',', '!' or the end after a class with x");
    const std::string_view after = first.pair() || first.kind ? "'+', '-', ',' or the end" : "s, o, '+', '-', ',' or the end";
    if (text_[at] == '+') {
      if (at + 1 != end) return expected(at + 1, "',' or the end after '+'");
      if (first.pair()) {
        for (int r = first.high; r < 13; ++r) add_class({r, r, 0}, weight);
      } else {
        for (int r = first.low; r < first.high; ++r) add_class({first.high, r, first.kind}, weight);
      }
      return true;
    }
    if (text_[at] != '-') {
      expected(at, after);
      // Omaha notation in a Hold'em range: say where it belongs.
      const std::string_view rest = text_.substr(at, std::min<std::size_t>(2, end - at));
      if (is_wild(rest[0]) || rest == "ds" || rest == "ss" || rest == "rb")
        error_.message += " (Omaha patterns such as AAxx and the suit qualifiers ds, ss, rb are Omaha notation)";
      return false;
    }
    const std::size_t dash = at++;
    if (at == end) return expected(at, "a hand class after '-'");
    HandClass last{};
    if (!parse_class(at, end, last)) return false;
    if (last.wild()) return fail(dash + 1, "a span joins two classes without x (KTs-K7s)");
    if (at != end) return expected(at, "',' or the end after a span");
    return add_span(dash, first, last, weight);
  }

  bool add_span(std::size_t dash, const HandClass& a, const HandClass& b, double weight) {
    if (a.pair() != b.pair()) return fail(dash + 1, "a span joins two pairs or two non-pairs");
    if (a.pair()) {
      for (int r = std::min(a.high, b.high); r <= std::max(a.high, b.high); ++r) add_class({r, r, 0}, weight);
      return true;
    }
    if (a.kind != b.kind) return fail(dash + 1, "both ends of a span need the same suitedness (s, o or neither)");
    if (a.high == b.high) {
      for (int r = std::min(a.low, b.low); r <= std::max(a.low, b.low); ++r) add_class({a.high, r, a.kind}, weight);
      return true;
    }
    const int gap = a.high - a.low;
    if (b.high - b.low != gap)
      return fail(dash + 1, "a span keeps the first rank (KTs-K7s) or the gap between the ranks (76s-54s)");
    for (int h = std::min(a.high, b.high); h <= std::max(a.high, b.high); ++h) add_class({h, h - gap, a.kind}, weight);
    return true;
  }

  bool add_class(const HandClass& k, double weight) {
    if (k.wild()) return add_wild_class(k, weight);
    if (make_card(k.low, 0) < lowest_card()) return true;  // a rank short deck does not play
    for (int s1 = 0; s1 < 4; ++s1) {
      for (int s2 = 0; s2 < 4; ++s2) {
        const bool take = k.pair() ? s1 < s2 : (k.kind != 'o' && s1 == s2) || (k.kind != 's' && s1 != s2);
        if (!take) continue;
        ++work_;
        emit(make_card(k.high, s1), make_card(k.low, s2), weight);
      }
    }
    return true;
  }

  // Axs, Kxo, Ax, xxs, xx: every hand holding the rank (any, for xx) with a
  // card of any other rank or of the same, suited or offsuit as asked (a pair
  // is neither), best ranks first.
  bool add_wild_class(const HandClass& k, double weight) {
    for (int high = kRankCount - 1; high >= 0; --high)
      for (int low = high; low >= 0; --low)
        if (k.high == kAnyRank || high == k.high || low == k.high) {
          if (k.kind && high == low) continue;
          add_class({high, low, k.kind}, weight);
        }
    return true;
  }

  // Omaha: one pattern, a span of pair patterns (KK-TT: KKxx through TTxx),
  // then any exclusions (AA!AAA: two aces but not three).
  bool parse_pattern_item(std::size_t begin, std::size_t end, double weight) {
    std::size_t at = begin;
    PatternItem item;
    Alternative first{};
    if (!parse_alternative(at, end, true, first)) return false;
    item.any_of.push_back(first.pattern);
    if (at < end && text_[at] == '-') {
      const std::size_t dash = at++;
      Alternative last{};
      if (!parse_alternative(at, end, false, last)) return false;
      if (first.pair_rank < 0 || last.pair_rank < 0)
        return fail(dash + 1, "a span joins two pairs: KK-TT is KKxx through TTxx");
      if (first.pattern.suits != SuitShape::any && last.pattern.suits != SuitShape::any &&
          first.pattern.suits != last.pattern.suits)
        return fail(dash + 1, "both ends of a span need the same suit qualifier, or only one end one");
      const SuitShape suits = first.pattern.suits != SuitShape::any ? first.pattern.suits : last.pattern.suits;
      item.any_of.clear();
      for (int r = std::min(first.pair_rank, last.pair_rank); r <= std::max(first.pair_rank, last.pair_rank); ++r)
        item.any_of.push_back({std::uint64_t{2} << (4 * r), suits});
    }
    while (at < end && text_[at] == '!') {
      ++at;
      Alternative excluded{};
      if (!parse_alternative(at, end, false, excluded)) return false;
      item.none_of.push_back(excluded.pattern);
    }
    if (at != end) return expected(at, "'-', '!', ',' or the end after a pattern");
    if (!spend(hands_in_deck(cards_) / 4 * (item.any_of.size() + item.none_of.size()), begin)) return false;
    const std::size_t before = builder_.added();
    add_matching_hands(item, cards_, builder_, weight);
    work_ += builder_.added() - before;
    return true;
  }

  struct Alternative {
    HandPattern pattern;
    int pair_rank;  // the rank of a pattern that is one pair and x's (KK, KKxx), else -1
  };

  // One to four (five-card Omaha: five) symbols, each a rank or x (missing ones
  // are x), then an optional suit qualifier: ds, ss or rb.
  bool parse_alternative(std::size_t& at, std::size_t end, bool starts_item, Alternative& out) {
    int need[kRankCount] = {};
    int symbols = 0, ranks = 0;
    for (; at < end && (text_[at] == 'x' || text_[at] == 'X' || rank_of_letter(text_[at]) >= 0); ++at, ++symbols) {
      if (symbols == cards_)
        return fail(at, cards_ == 4 ? "a pattern has at most four symbols (ranks or x), got a fifth: " + shown(text_, at)
                                    : "a pattern has at most five symbols (ranks or x), got a sixth: " + shown(text_, at));
      if (text_[at] == 'x' || text_[at] == 'X') continue;
      ++need[rank_of_letter(text_[at])];
      ++ranks;
    }
    if (symbols == 0)
      return expected(at, starts_item ? (cards_ == 4 ? "a hand (AhAsKhKs), a pattern (AAxx, AAKKds, KK-TT), a percentage (10%) or random"
                                                     : "a hand (AhAsKhKsQd), a pattern (AAxxx, AAKKds, KK-TT), a percentage (10%) or random")
                                      : "a rank (" ODDSMITH_RANK_LETTERS ") or x");
    out = {{}, -1};
    for (int r = 0; r < kRankCount; ++r) {
      out.pattern.ranks |= static_cast<std::uint64_t>(need[r]) << (4 * r);
      if (need[r] == 2 && ranks == 2) out.pair_rank = r;
    }
    const std::size_t word = at;
    while (at < end && text_[at] >= 'a' && text_[at] <= 'z') ++at;
    return at == word || parse_qualifier(word, at, out.pattern.suits);
  }

  bool parse_qualifier(std::size_t begin, std::size_t end, SuitShape& suits) {
    static constexpr std::pair<std::string_view, SuitShape> kQualifiers[] = {
        {"ds", SuitShape::double_suited}, {"ss", SuitShape::single_suited}, {"rb", SuitShape::rainbow}};
    const std::string_view word = text_.substr(begin, end - begin);
    for (const auto& [name, shape] : kQualifiers)
      if (word == name) {
        suits = shape;
        if (cards_ == 5 && shape == SuitShape::rainbow)
          return fail(begin, "five cards cannot be rainbow (four suits): ss is one suited pair, ds two");
        return true;
      }
    std::string message =
        cards_ == 4 ? "expected a suit qualifier: ds (two suits, two cards each), ss (one suit twice, the "
                      "others two different suits) or rb (four suits), got '" + std::string(word) + "'"
                    : "expected a suit qualifier: ds (two suits twice, the fifth card a third suit) or ss (one "
                      "suit twice, the others three different suits), got '" + std::string(word) + "'";
    for (const auto& [name, shape] : kQualifiers)
      if (word.size() == 2 && std::is_permutation(word.begin(), word.end(), name.begin()))
        message += " (did you mean " + std::string(name) + "?)";
    return fail(begin, std::move(message));
  }

  // The lowest card the game plays: only short deck has one above the deuces.
  int lowest_card() const { return game_ == RangeGame::shortdeck ? kShortDeckLowestCard : 0; }

  std::string_view text_;
  RangeGame game_;
  int cards_;
  RangeBuilder builder_;
  RangeParseError error_{};
  std::size_t work_ = 0;
  std::size_t item_begin_ = 0;  // where the Hold'em class being read starts
  std::size_t item_start_ = 0;  // where the item being read starts
  // While the pieces of an item with '!' are read, their hands go here.
  std::vector<std::array<std::uint8_t, kMaxRangeCards>>* collected_ = nullptr;
  std::vector<std::array<std::uint8_t, kMaxRangeCards>> kept_, removed_;  // a '!' item's hands, and those it removes
  std::optional<StartRanking> ranking_;  // built at the first percentage
};

}  // namespace

RangeParse parse_range(std::string_view text, RangeGame game, BoardFilters filters) {
  const std::size_t where = where_position(text);
  if (where == std::string_view::npos) return Parser(text, game).run();
  const std::string_view range_text = text.substr(0, where);
  if (std::all_of(range_text.begin(), range_text.end(), is_space))
    return {std::nullopt, error_at(text, 0, "expected a range before 'where', such as 'QQ+, AKs where toppair+'"), {}, 0};
  RangeParse parsed = Parser(range_text, game).run();
  if (!parsed.range) return parsed;
  if (!FilterParser(text, where + 5).run(parsed.filters, parsed.error)) return {std::nullopt, std::move(parsed.error), {}, 0};
  parsed.where_column = error_at(text, where, {}).column;
  if (filters == BoardFilters::refused)
    return {std::nullopt,
            error_at(text, where, "board filters ('where ...') are read only with a board, and none is taken here"), {}, 0};
  return parsed;
}

RangeParse parse_range(std::string_view text, int cards_per_hand) {
  return parse_range(text, cards_per_hand == 4 ? RangeGame::omaha : RangeGame::holdem);
}

}  // namespace oddsmith
