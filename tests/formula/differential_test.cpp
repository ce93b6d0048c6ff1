// SPDX-License-Identifier: MIT
// The production normaliser against the literal reference, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "formula/normalise_formula.h"
#include "support/line_generator.h"
#include "support/reference_normaliser.h"

namespace tavrel::formula {
namespace {

using support::lines::escaped;
using text::Text;

// Collects the lines on which the two normalisers differ and reports the first few.
class disagreements {
 public:
  void check(std::string_view line) {
    const Text production = normalise_formula(line);
    const Text reference = support::reference::normalise_formula_reference(line);
    if (production == reference) return;
    if (++count_ <= 5) {
      ADD_FAILURE() << escaped(line) << ": production " << escaped(production) << ", reference "
                    << escaped(reference);
    }
  }
  std::size_t count() const { return count_; }

 private:
  std::size_t count_ = 0;
};

TEST(Differential, GeneratedLines) {
  for (std::uint64_t seed : {1u, 2u}) {
    support::lines::line_generator generator(seed);
    disagreements differ;
    for (int n = 0; n < 60'000; ++n) differ.check(generator.next());
    EXPECT_EQ(differ.count(), 0u) << "seed " << seed;
  }
}

TEST(Differential, EmptyLine) {
  disagreements differ;
  differ.check("");
  EXPECT_EQ(differ.count(), 0u);
}

// One case per first symbol, so that the strings of 1 to 6 symbols split over test processes.
class EveryShortString : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EveryShortString, StartingWithSymbol) {
  disagreements differ;
  support::lines::for_each_extension(std::string(support::lines::kSymbols[GetParam()]), 5,
                                     [&differ](std::string_view line) { differ.check(line); });
  EXPECT_EQ(differ.count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Symbols, EveryShortString,
                         ::testing::Range<std::size_t>(0, support::lines::kSymbols.size()));

}  // namespace
}  // namespace tavrel::formula
