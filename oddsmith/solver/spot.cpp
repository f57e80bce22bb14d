// Bet size text: "33%", "e", "a", "2.5x", in comma-separated lists.
#include "solver/spot.h"

#include "solver/internal/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace oddsmith::solver {

namespace {

std::string number_text(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string BetSize::label() const {
  switch (kind) {
    case Kind::pot_percent: return number_text(value) + "%";
    case Kind::geometric: return "e";
    case Kind::all_in: return "a";
    case Kind::times: return number_text(value) + "x";
  }
  return {};
}

std::optional<std::vector<BetSize>> parse_sizes(std::string_view text, bool raises, std::string& error) {
  std::vector<BetSize> out;
  error.clear();
  std::string_view rest = text;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view piece = trimmed(rest.substr(0, comma));
    if (piece.empty()) {
      if (comma == std::string_view::npos && out.empty() && trimmed(text).empty()) return out;  // no sizes
      error = join("an empty size in \"", text, "\"");
      return std::nullopt;
    }
    BetSize s;
    if (piece == "a" || piece == "A" || piece == "allin") {
      s.kind = BetSize::Kind::all_in;
    } else if (piece == "e" || piece == "E") {
      if (raises) {
        error = "\"e\" (geometric) is a bet size, not a raise size";
        return std::nullopt;
      }
      s.kind = BetSize::Kind::geometric;
    } else {
      const char last = piece.back();
      const std::string_view num = piece.substr(0, piece.size() - 1);
      double v = 0;
      const auto [end, ec] = std::from_chars(num.data(), num.data() + num.size(), v);
      const bool number_ok = ec == std::errc() && end == num.data() + num.size() && std::isfinite(v) && v > 0;
      if (last == '%' && number_ok && v <= 100000) {
        s.kind = BetSize::Kind::pot_percent;
      } else if ((last == 'x' || last == 'X') && number_ok && v <= 1000) {
        if (!raises) {
          error = join("\"", piece, "\" (a multiple of the bet faced) is a raise size, not a bet size");
          return std::nullopt;
        }
        if (v <= 1) {
          error = join("a raise to \"", piece, "\" is not above the bet faced");
          return std::nullopt;
        }
        s.kind = BetSize::Kind::times;
      } else {
        error = join("\"", piece, "\" is not a size (",
                     raises ? "N% of the pot after calling, Nx the bet faced, or a for all-in"
                            : "N% of the pot, e for geometric, or a for all-in",
                     ")");
        return std::nullopt;
      }
      s.value = v;
    }
    out.push_back(s);
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  return out;
}

}  // namespace oddsmith::solver
