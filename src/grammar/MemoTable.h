// TMemoTable: what a parse remembers of its memoised rules, by (rule,
// position). An open-addressing hash table, emptied in constant time: the
// form parser empties it for every object it parses, thousands of times in
// a run, and a general hash map pays for its whole bucket array each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirel {

class TMemoTable {
 public:
  /// The value remembered for key, or nullptr. Valid until the next Set or
  /// Clear.
  const int* Find(uint64_t key) const {
    if (slots_.empty()) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.generation != generation_) return nullptr;
      if (s.key == key) return &s.value;
    }
  }

  /// Remembers value for key, replacing what was remembered.
  void Set(uint64_t key, int value) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.generation != generation_) {
        s = Slot{key, value, generation_};
        ++count_;
        return;
      }
      if (s.key == key) {
        s.value = value;
        return;
      }
    }
  }

  /// Forgets everything.
  void Clear() {
    count_ = 0;
    if (++generation_ == 0) {  // after 2^32 clears: old stamps would match again
      for (Slot& s : slots_) s.generation = 0;
      generation_ = 1;
    }
  }

 private:
  struct Slot {
    uint64_t key = 0;
    int value = 0;
    uint32_t generation = 0;  // the slot is used when this is the table's
  };

  size_t Home(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
  }

  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    const size_t size = old.empty() ? 256 : old.size() * 2;
    slots_.assign(size, Slot{});
    mask_ = size - 1;
    shift_ = 64;
    for (size_t s = size; s > 1; s >>= 1) --shift_;
    const uint32_t oldGeneration = generation_;
    generation_ = 1;
    count_ = 0;
    for (const Slot& s : old)
      if (s.generation == oldGeneration) Set(s.key, s.value);
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  int shift_ = 64;
  size_t count_ = 0;
  uint32_t generation_ = 1;
};

}  // namespace mirel
