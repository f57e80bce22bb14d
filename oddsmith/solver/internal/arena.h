// Scratch space for the tree walk: float buffers taken and given back in
// stack order, from chunks that never move once made.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace oddsmith::solver {

class Arena {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 18;  // floats (1 MiB)

  struct Mark {
    std::size_t chunk, used;
  };
  Mark mark() const { return {chunk_, used_}; }
  void release(Mark m) {
    chunk_ = m.chunk;
    used_ = m.used;
  }

  // n floats, 16-byte aligned, uninitialised.
  float* take(std::size_t n) {
    n = (n + 3) & ~std::size_t{3};
    if (chunks_.empty() || used_ + n > sizes_[chunk_]) {
      // The next chunk that holds n, made where none is.
      std::size_t c = chunks_.empty() ? 0 : chunk_ + 1;
      while (c < chunks_.size() && sizes_[c] < n) ++c;
      if (c >= chunks_.size()) {
        const std::size_t size = n > kChunk ? n : kChunk;
        chunks_.emplace_back(new float[size]);
        sizes_.push_back(size);
        c = chunks_.size() - 1;
      }
      chunk_ = c;
      used_ = 0;
    }
    float* p = chunks_[chunk_].get() + used_;
    used_ += n;
    return p;
  }

  std::size_t bytes() const {
    std::size_t b = 0;
    for (std::size_t s : sizes_) b += s * sizeof(float);
    return b;
  }

 private:
  std::vector<std::unique_ptr<float[]>> chunks_;
  std::vector<std::size_t> sizes_;
  std::size_t chunk_ = 0, used_ = 0;
};

}  // namespace oddsmith::solver
