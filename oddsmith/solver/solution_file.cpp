// Saved solutions: a solver's spot, tree rules, locks, report and strategies
// in one zstd-compressed file, and a solver rebuilt from one.
//
// The file, integers little-endian:
//   0   8 bytes  magic "ODSMSOL\n"
//   8   u32      format version (kFormatVersion; a newer one is refused)
//   12  u32      flags: bit 0 set: 16-bit strategies; other bits must be 0
//   16  u64      body size, uncompressed
//   24  u64      compressed size (the file is 36 bytes longer)
//   32  ...      the body, one zstd frame
//   end u32      CRC-32 (IEEE, reflected, as zlib's) of every byte before it
// The body: the spot (game; board; dead cards; each range's cards per hand,
// hand count, and each hand's cards and weight as f64: any number of cards
// per hand), the tree rules (pot, stack, each street's and player's bet and
// raise sizes as kind and value, donk, the three thresholds, the raise cap),
// the rake, the build's storage and isomorphism flags, the locks (path, hand
// cards, actions with frequencies), the report, then the strategy values:
// every action node's, block by block (as the solver lays them out), either
// the strategy sums as f32 or the average strategy as u16 codes (0..65535 for
// 0..1). Strings are a u32 length and bytes.
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#ifdef ODDSMITH_HAVE_ZSTD
#include <zstd.h>
#endif

#include "solver/internal/engine.h"
#include "solver/internal/text.h"

namespace oddsmith::solver {

namespace {

constexpr char kMagic[8] = {'O', 'D', 'S', 'M', 'S', 'O', 'L', '\n'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::uint32_t kHalfFlag = 1;
constexpr std::size_t kHeader = 32, kTrailer = 4;
constexpr const char* kNoZstd = "this build has no zstd support: solutions cannot be saved or loaded";

#ifdef ODDSMITH_HAVE_ZSTD
bool starts_with_magic(std::string_view bytes) {
  return bytes.size() >= sizeof kMagic && bytes.substr(0, sizeof kMagic) == std::string_view(kMagic, sizeof kMagic);
}


constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}();

std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (char ch : bytes) c = kCrcTable[(c ^ static_cast<std::uint8_t>(ch)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// Appends little-endian fields.
struct Writer {
  std::string out;
  template <class T>
  void put(T value) {
    std::uint64_t bits = 0;
    if constexpr (std::is_floating_point_v<T>) {
      if constexpr (sizeof(T) == 8) bits = std::bit_cast<std::uint64_t>(value);
      else bits = std::bit_cast<std::uint32_t>(value);
    } else {
      bits = static_cast<std::uint64_t>(value);
    }
    for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
  void text(std::string_view s) {
    put(static_cast<std::uint32_t>(s.size()));
    out.append(s);
  }
  void cards(const std::vector<int>& c) {
    put(static_cast<std::uint8_t>(c.size()));
    for (int x : c) put(static_cast<std::uint8_t>(x));
  }
};

// Reads little-endian fields; past the end every read gives 0 and `ok` turns false.
struct Reader {
  std::string_view in;
  std::size_t at = 0;
  bool ok = true;
  bool need(std::size_t n) {
    if (!ok || in.size() - at < n) ok = false;
    return ok;
  }
  template <class T>
  T get() {
    if (!need(sizeof(T))) return T{};
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) bits |= std::uint64_t{static_cast<std::uint8_t>(in[at + i])} << (8 * i);
    at += sizeof(T);
    if constexpr (std::is_floating_point_v<T>) {
      if constexpr (sizeof(T) == 8) return std::bit_cast<double>(bits);
      else return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    } else {
      return static_cast<T>(bits);
    }
  }
  std::string text() {
    const auto n = get<std::uint32_t>();
    if (!need(n)) return {};
    std::string s(in.substr(at, n));
    at += n;
    return s;
  }
  std::vector<int> cards() {
    const auto n = get<std::uint8_t>();
    std::vector<int> c;
    for (std::size_t i = 0; i < n && ok; ++i) c.push_back(get<std::uint8_t>());
    return c;
  }
};

void write_spot(Writer& w, const Spot& s) {
  w.put(static_cast<std::uint8_t>(s.game));
  w.cards(s.board);
  w.cards(s.dead);
  for (const Range& r : s.ranges) {
    const int k = r.cards_per_hand();
    w.put(static_cast<std::uint8_t>(k));
    w.put(static_cast<std::uint32_t>(r.size()));
    for (const RangeHand& h : r.hands()) {
      for (int i = 0; i < k; ++i) w.put(h.cards[static_cast<std::size_t>(i)]);
      w.put(h.weight);
    }
  }
  const TreeRules& t = s.tree;
  w.put(static_cast<std::int32_t>(t.pot));
  w.put(static_cast<std::int32_t>(t.stack));
  for (const auto& street : t.sizes)
    for (const StreetSizes& p : street)
      for (const std::vector<BetSize>* list : {&p.bets, &p.raises}) {
        w.put(static_cast<std::uint8_t>(list->size()));
        for (const BetSize& b : *list) {
          w.put(static_cast<std::uint8_t>(b.kind));
          w.put(b.value);
        }
      }
  w.put(static_cast<std::uint8_t>(t.donk ? 1 : 0));
  w.put(t.add_allin);
  w.put(t.force_allin);
  w.put(t.merge);
  w.put(static_cast<std::int32_t>(t.max_raises));
  w.put(s.rake_rate);
  w.put(s.rake_cap);
}

// False where a field is out of its range; the solver checks the rest.
bool read_spot(Reader& r, Spot& s) {
  const auto game = r.get<std::uint8_t>();
  if (game > static_cast<std::uint8_t>(Game::omaha5)) return false;
  s.game = static_cast<Game>(game);
  s.board = r.cards();
  s.dead = r.cards();
  for (Range& range : s.ranges) {
    const int k = r.get<std::uint8_t>();
    if (k < 1 || k > kMaxRangeCards) return false;
    const auto n = r.get<std::uint32_t>();
    if (!r.need(std::size_t{n} * (static_cast<std::size_t>(k) + 8))) return false;
    RangeBuilder builder(k);
    std::vector<int> cards(static_cast<std::size_t>(k));
    for (std::uint32_t i = 0; i < n; ++i) {
      CardMask seen = 0;
      for (int& c : cards) {
        c = r.get<std::uint8_t>();
        if (!is_card(c) || (seen & card_bit(c))) return false;
        seen |= card_bit(c);
      }
      const double weight = r.get<double>();
      if (!(weight > 0 && weight <= 1)) return false;  // (a corrupt weight, and no NaN)
      builder.add(cards, weight);
    }
    range = std::move(builder).finish();
  }
  TreeRules& t = s.tree;
  t.pot = r.get<std::int32_t>();
  t.stack = r.get<std::int32_t>();
  for (auto& street : t.sizes)
    for (StreetSizes& p : street)
      for (std::vector<BetSize>* list : {&p.bets, &p.raises}) {
        const auto n = r.get<std::uint8_t>();
        for (std::size_t i = 0; i < n && r.ok; ++i) {
          const auto kind = r.get<std::uint8_t>();
          const double value = r.get<double>();
          if (kind > static_cast<std::uint8_t>(BetSize::Kind::times) || !std::isfinite(value) || value < 0 ||
              value > 1e6)
            return false;
          list->push_back({static_cast<BetSize::Kind>(kind), value});
        }
      }
  t.donk = r.get<std::uint8_t>() != 0;
  t.add_allin = r.get<double>();
  t.force_allin = r.get<double>();
  t.merge = r.get<double>();
  t.max_raises = r.get<std::int32_t>();
  s.rake_rate = r.get<double>();
  s.rake_cap = r.get<double>();
  for (double x : {t.add_allin, t.force_allin, t.merge})
    if (!(x >= 0 && x <= 1e6)) return false;
  return r.ok && t.pot >= 0 && t.stack >= 0 && t.max_raises >= -1 && t.max_raises <= 1000;
}

void write_report(Writer& w, const SolveReport& r) {
  w.put(static_cast<std::int32_t>(r.iterations));
  w.put(r.seconds);
  w.put(r.exploitability);
  w.put(r.exploitability_pct);
  w.put(static_cast<std::uint8_t>(r.converged ? 1 : 0));
  w.put(static_cast<std::uint8_t>(r.stop));
  for (double v : {r.ev[0], r.ev[1], r.equity[0], r.equity[1]}) w.put(v);
}

bool read_report(Reader& r, SolveReport& s) {
  s.iterations = r.get<std::int32_t>();
  s.seconds = r.get<double>();
  s.exploitability = r.get<double>();
  s.exploitability_pct = r.get<double>();
  s.converged = r.get<std::uint8_t>() != 0;
  const auto stop = r.get<std::uint8_t>();
  s.stop = static_cast<StopReason>(std::min<std::uint8_t>(stop, 3));
  for (double* v : {&s.ev[0], &s.ev[1], &s.equity[0], &s.equity[1]}) *v = r.get<double>();
  return r.ok && s.iterations >= 0 && stop <= 3;
}

// Writes `bytes` to `path` through a temporary file beside it.
bool write_atomically(const std::string& path, const std::string& bytes, const void* owner, std::string& error) {
  namespace fs = std::filesystem;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string temp = join(path, ".partial-", std::to_string(reinterpret_cast<std::uintptr_t>(owner)), "-",
                                std::to_string(stamp));
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (f) f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      error = join("cannot write ", temp);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    error = join("cannot rename the written file over ", path, ": ", ec.message());
    return false;
  }
  return true;
}
#endif  // ODDSMITH_HAVE_ZSTD

}  // namespace

bool solution_files_supported() {
#ifdef ODDSMITH_HAVE_ZSTD
  return true;
#else
  return false;
#endif
}

void Solver::Impl::save_strategies(bool half, std::string& out) const {
  std::vector<float> buffer, sigma;
  for (const Block& b : blocks_) {
    const StreetTree& t = tree_.streets[b.tree];
    for (std::uint32_t ni = 0; ni < t.nodes.size(); ++ni) {
      const TreeNode& n = t.nodes[ni];
      if (n.kind != NodeKind::action || n.action_count < 2) continue;
      const auto H = static_cast<std::size_t>(hands_[n.player].size());
      const std::size_t count = n.action_count * H;
      buffer.resize(count);
      sigma.resize(count);
      const float* s = sums(stored(b, ni), count, buffer.data());
      const std::size_t start = out.size();
      if (half) {
        average_strategy(s, n.action_count, static_cast<int>(H), sigma.data());
        out.resize(start + 2 * count);
        for (std::size_t i = 0; i < count; ++i) {
          const auto code = static_cast<std::uint16_t>(std::lround(std::clamp(sigma[i], 0.0f, 1.0f) * 65535.0f));
          out[start + 2 * i] = static_cast<char>(code & 0xFF);
          out[start + 2 * i + 1] = static_cast<char>(code >> 8);
        }
      } else {
        out.resize(start + 4 * count);
        for (std::size_t i = 0; i < count; ++i) {
          const auto bits = std::bit_cast<std::uint32_t>(s[i]);
          for (std::size_t k = 0; k < 4; ++k) out[start + 4 * i + k] = static_cast<char>((bits >> (8 * k)) & 0xFF);
        }
      }
    }
  }
}

bool Solver::Impl::load_strategies(bool half, std::string_view data, std::string& error) {
  const std::size_t width = half ? 2 : 4;
  if (data.size() / width != next_base_ || data.size() % width != 0) {
    error = "the saved strategies do not fit the spot's tree";
    return false;
  }
  std::vector<float> buffer;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  std::size_t at = 0;
  for (const Block& b : blocks_) {
    const StreetTree& t = tree_.streets[b.tree];
    for (std::uint32_t ni = 0; ni < t.nodes.size(); ++ni) {
      const TreeNode& n = t.nodes[ni];
      if (n.kind != NodeKind::action || n.action_count < 2) continue;
      const std::size_t count = n.action_count * static_cast<std::size_t>(hands_[n.player].size());
      buffer.resize(count);
      const Stored where = stored(b, ni);
      float* s = sums(where, count, buffer.data());
      for (std::size_t i = 0; i < count; ++i, at += width) {
        if (half) {
          s[i] = static_cast<float>(bytes[at] | (bytes[at + 1] << 8)) / 65535.0f;
        } else {
          const std::uint32_t bits = std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
                                     (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
          s[i] = std::bit_cast<float>(bits);
          if (!(s[i] >= 0 && std::isfinite(s[i]))) {
            error = "a saved strategy sum is negative or not a number";
            return false;
          }
        }
      }
      keep_sums(where, count, s);
    }
  }
  return true;
}

bool Solver::save(const std::string& path, const SaveOptions& options, std::string& error) const {
  error.clear();
#ifndef ODDSMITH_HAVE_ZSTD
  (void)path;
  (void)options;
  error = kNoZstd;
  return false;
#else
  const Impl& s = *impl_;
  Writer body;
  write_spot(body, s.spot_);
  body.put(static_cast<std::uint8_t>(s.options_.compress ? 1 : 0));
  body.put(static_cast<std::uint8_t>(s.options_.isomorphism ? 1 : 0));
  body.put(static_cast<std::uint32_t>(s.options_.locks.size()));
  for (const NodeLock& l : s.options_.locks) {
    body.text(l.path);
    body.cards(l.hand);
    body.put(static_cast<std::uint32_t>(l.actions.size()));
    for (const auto& [name, f] : l.actions) {
      body.text(name);
      body.put(f);
    }
  }
  write_report(body, s.report_);
  body.put(static_cast<std::uint64_t>(s.stored_values()));
  s.save_strategies(options.half, body.out);

  std::string file(kHeader, '\0');
  const std::size_t bound = ZSTD_compressBound(body.out.size());
  file.resize(kHeader + bound);
  const std::size_t packed = ZSTD_compress(file.data() + kHeader, bound, body.out.data(), body.out.size(), 3);
  if (ZSTD_isError(packed)) {
    error = join("compressing the solution failed: ", ZSTD_getErrorName(packed));
    return false;
  }
  file.resize(kHeader + packed);
  Writer head;
  head.out.assign(kMagic, sizeof kMagic);
  head.put(kFormatVersion);
  head.put(options.half ? kHalfFlag : 0u);
  head.put(static_cast<std::uint64_t>(body.out.size()));
  head.put(static_cast<std::uint64_t>(packed));
  std::memcpy(file.data(), head.out.data(), kHeader);
  Writer trailer;
  trailer.put(crc32(file));
  file += trailer.out;
  return write_atomically(path, file, this, error);
#endif
}

std::unique_ptr<Solver> Solver::load(const std::string& path, const LoadOptions& options, std::string& error) {
  error.clear();
  if (!solution_files_supported()) {
    error = kNoZstd;
    return nullptr;
  }
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    error = join("cannot open ", path);
    return nullptr;
  }
  std::string contents;
  contents.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (f.bad()) {
    error = join("cannot read ", path);
    return nullptr;
  }
  auto solver = load_bytes(contents, options, error);
  if (!solver) error = join(path, ": ", error);
  return solver;
}

std::unique_ptr<Solver> Solver::load_bytes(std::string_view bytes, const LoadOptions& options, std::string& error) {
  error.clear();
#ifndef ODDSMITH_HAVE_ZSTD
  (void)bytes;
  (void)options;
  error = kNoZstd;
  return nullptr;
#else
  if (!starts_with_magic(bytes)) {
    error = "not a saved solution (its first bytes are not a solution file's)";
    return nullptr;
  }
  if (bytes.size() < kHeader + kTrailer) {
    error = "the file is truncated";
    return nullptr;
  }
  Reader head{bytes.substr(sizeof kMagic, kHeader - sizeof kMagic)};
  const auto version = head.get<std::uint32_t>();
  const auto flags = head.get<std::uint32_t>();
  const auto body_size = head.get<std::uint64_t>();
  const auto packed = head.get<std::uint64_t>();
  if (version == 0 || version > kFormatVersion) {
    error = join("the file's format version is ", std::to_string(version), "; this build reads version ",
                 std::to_string(kFormatVersion), version > kFormatVersion ? " (a newer build wrote it)" : "");
    return nullptr;
  }
  if (packed != bytes.size() - kHeader - kTrailer) {
    error = packed > bytes.size() - kHeader - kTrailer ? "the file is truncated" : "the file's sizes are corrupt";
    return nullptr;
  }
  Reader tail{bytes.substr(bytes.size() - kTrailer)};
  if (tail.get<std::uint32_t>() != crc32(bytes.substr(0, bytes.size() - kTrailer))) {
    error = "the file is corrupt (its checksum does not match)";
    return nullptr;
  }
  if ((flags & ~kHalfFlag) != 0) {
    error = "the file uses options this build does not know";
    return nullptr;
  }
  const bool half = (flags & kHalfFlag) != 0;
  // The body is the spot and 2 or 4 bytes per stored value: never more than
  // the tree the bound allows.
  if (body_size > options.max_memory + (std::size_t{1} << 20) ||
      ZSTD_getFrameContentSize(bytes.data() + kHeader, packed) != body_size) {
    error = "the file's body is larger than the memory bound allows, or corrupt";
    return nullptr;
  }
  std::string body(body_size, '\0');
  const std::size_t got = ZSTD_decompress(body.data(), body.size(), bytes.data() + kHeader, packed);
  if (ZSTD_isError(got) || got != body_size) {
    error = "the file is corrupt (it does not decompress)";
    return nullptr;
  }
  Reader r{body};
  Spot spot;
  BuildOptions build;
  build.max_memory = options.max_memory;
  build.threads = options.threads;
  if (!read_spot(r, spot)) {
    error = "the file's spot is corrupt";
    return nullptr;
  }
  const bool compress = r.get<std::uint8_t>() != 0;
  build.compress = half && compress;  // 32-bit sums load into 32-bit storage: the strategies come back exactly
  build.isomorphism = r.get<std::uint8_t>() != 0;
  const auto lock_count = r.get<std::uint32_t>();
  for (std::uint32_t i = 0; i < lock_count && r.ok; ++i) {
    NodeLock l;
    l.path = r.text();
    l.hand = r.cards();
    const auto n = r.get<std::uint32_t>();
    for (std::uint32_t k = 0; k < n && r.ok; ++k) {
      std::string name = r.text();
      l.actions.emplace_back(std::move(name), r.get<double>());
    }
    build.locks.push_back(std::move(l));
  }
  SolveReport report;
  if (!read_report(r, report)) {
    error = "the file's report is corrupt";
    return nullptr;
  }
  const auto values = r.get<std::uint64_t>();
  if (!r.ok) {
    error = "the file's body is truncated";
    return nullptr;
  }
  std::string message;
  auto solver = create(spot, build, message);
  if (!solver) {
    error = join("the saved spot cannot be built: ", message);
    return nullptr;
  }
  if (values != solver->impl_->stored_values() ||
      !solver->impl_->load_strategies(half, r.in.substr(r.at), message)) {
    error = message.empty() ? "the saved strategies do not fit the spot's tree" : message;
    return nullptr;
  }
  solver->impl_->report_ = report;
  return solver;
#endif
}

}  // namespace oddsmith::solver
