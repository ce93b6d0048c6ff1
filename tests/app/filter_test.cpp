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

}  // namespace
}  // namespace tavrel::app
