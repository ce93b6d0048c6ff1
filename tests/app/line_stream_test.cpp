// SPDX-License-Identifier: MIT
#include "app/line_stream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/text.h"

namespace tavrel::app {
namespace {

// The input box's text for a stream: every LF that no CR precedes becomes CR LF.
std::string as_box_text(std::string_view stream) {
  std::string out;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    if (stream[i] == '\n' && (i == 0 || stream[i - 1] != '\r')) out.push_back('\r');
    out.push_back(stream[i]);
  }
  return out;
}

text::TextList stream_lines(std::string_view stream, std::size_t chunk) {
  text::TextList lines;
  LineStream splitter;
  const auto collect = [&](std::string_view line) { lines.emplace_back(line); };
  for (std::size_t i = 0; i < stream.size(); i += chunk)
    splitter.feed(stream.substr(i, chunk), collect);
  splitter.finish(collect);
  return lines;
}

struct stream_row {
  const char* name;
  std::string stream;
  text::TextList lines;
};

TEST(LineStream, SplitsAsTheInputBoxWould) {
  const stream_row rows[] = {
      {"empty", "", {}},
      {"lf", "1\n2\n", {"1", "2"}},
      {"cr_lf", "1\r\n2", {"1", "2"}},
      {"lone_cr_stays", "1\r2\n", {"1\r2"}},
      {"empty_lines", "\n\n", {"", ""}},
      {"cr_cr_lf", "1\r\r\n", {"1\r"}},
      // The CR inserted for the LF becomes the second byte of the character 81 0D.
      {"lf_after_lead_byte",
       "\x81\n"
       "2",
       {"\x81\r\n"
        "2"}},
      {"lone_lead_at_end", "1\n\x81", {"1", "\x81"}},
      // The euro sign (80) and FF are one byte each: the line break after them stays.
      {"euro_before_lf", "5\x80\n3", {"5\x80", "3"}},
      {"ff_then_lead_pair", "\xFF\x81\n", {"\xFF\x81\r\n"}},
      {"two_byte_then_lf",
       "\xA3\xB1\n"
       "2",
       {"\xA3\xB1", "2"}},
  };
  for (const stream_row& row : rows) {
    for (std::size_t chunk : {1, 2, 3, 64}) {
      EXPECT_EQ(stream_lines(row.stream, chunk), row.lines) << row.name << " chunk " << chunk;
    }
  }
}

TEST(LineStream, AgreesWithSplitLinesOnRandomStreams) {
  std::mt19937 random(20261211);
  const char alphabet[] = {'1', '+', '\r', '\n', '\x81', '\xA3', '\xB1', 'a', '\x80', '\xFF'};
  for (int round = 0; round < 20000; ++round) {
    std::string stream(random() % 12, ' ');
    for (char& c : stream) c = alphabet[random() % sizeof alphabet];
    const std::size_t chunk = 1 + random() % 5;
    ASSERT_EQ(stream_lines(stream, chunk), text::split_lines(as_box_text(stream), "\r\n"))
        << "round " << round;
  }
}

TEST(LineStream, WellFormedTextSplitsAtItsLineFeeds) {
  // Whole characters only: ASCII with CR and LF, 80 and FF alone, pairs whose second byte is in
  // either range, 81..FE included; every text ends with an LF.
  std::mt19937 random(15);
  const char* const characters[] = {"1",    "+",        "\r",       "\n",       "\x80",
                                    "\xFF", "\xA3\xB1", "\xC0\x5E", "\xB0\xA1", "\x81\x80"};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (std::size_t n = random() % 12; n > 0; --n) text += characters[random() % 10];
    text += '\n';
    text::TextList lines;
    for_each_line_of_well_formed(text,
                                 [&lines](std::string_view line) { lines.emplace_back(line); });
    ASSERT_EQ(lines, stream_lines(text, text.size())) << "round " << round;
  }
}

}  // namespace
}  // namespace tavrel::app
