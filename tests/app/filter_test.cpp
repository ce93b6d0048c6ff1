// SPDX-License-Identifier: MIT
#include "app/filter.h"

#include "app/qt/code_page.h"
#include "tests/app/filter_cases.h"

#include <gtest/gtest.h>

namespace tavrel::app {
namespace {

TEST(Filter, GivesTheSameLinesHoweverTheInputIsCut) {
  qt::GbkCodec codec;
  testing::expect_filter_rows(codec);
}

TEST(Filter, ReadsEachInputInTheEncodingItNames) {
  qt::GbkCodec codec;
  testing::expect_each_input_on_its_own(codec);
}

TEST(Filter, GivesOnWorkersWhatOneThreadGives) {
  qt::GbkCodec codec;
  testing::expect_workers_agree(codec);
}

// Writes 一 (U+4E00) as a lead byte alone and 丁 (U+4E01) as one before an LF, which the
// conversion takes as "?": the input's line breaks stay where they are on every thread.
class LooseCodePage : public CodePage {
 public:
  std::string encode(char16_t c) override {
    return c == u'\u4E00' ? "\x81" : c == u'\u4E01' ? "\x81\n" : "\xB0\xA1";
  }
};

TEST(Filter, GivesOnWorkersWhatOneThreadGivesWhateverTheCodePageWrites) {
  LooseCodePage code_page;
  testing::expect_workers_agree(code_page);
}

}  // namespace
}  // namespace tavrel::app
