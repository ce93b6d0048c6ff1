// SPDX-License-Identifier: MIT
#include "app/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel::app {
namespace {

ParseResult parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tavrel-cli");
  return parse_options(static_cast<int>(args.size()), args.data());
}

TEST(ParseOptions, ReadsOptionsAndFiles) {
  const ParseResult r = parse({"--decimals", "2", "--encoding=gbk", "a.txt", "-", "b.txt"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.decimals, "2");
  EXPECT_EQ(r.options.encoding, Encoding::gbk);
  EXPECT_EQ(r.options.inputs, (std::vector<std::string>{"a.txt", "-", "b.txt"}));
}

TEST(ParseOptions, DefaultsToStandardInputAndUtf8) {
  const ParseResult r = parse({"--decimals=-1"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.decimals, "-1");
  EXPECT_EQ(r.options.encoding, Encoding::utf8);
  EXPECT_EQ(r.options.inputs, std::vector<std::string>{"-"});
}

TEST(ParseOptions, DoubleDashEndsOptions) {
  const ParseResult r = parse({"--", "--help"});
  ASSERT_EQ(r.error, "");
  EXPECT_FALSE(r.options.help);
  EXPECT_EQ(r.options.inputs, std::vector<std::string>{"--help"});
}

struct error_row {
  const char* name;
  std::vector<const char*> args;
  std::string error;
};

TEST(ParseOptions, NamesTheProblem) {
  const error_row rows[] = {
      {"unknown_option", {"--frobnicate"}, "unknown option '--frobnicate' (see --help)"},
      {"missing_decimals", {"--decimals"}, "option '--decimals' needs an argument"},
      {"missing_encoding", {"a", "--encoding"}, "option '--encoding' needs an argument"},
      {"bad_encoding", {"--encoding", "latin1"}, "unknown encoding 'latin1' (use utf-8 or gbk)"},
      {"prefix_is_not_option", {"--decimalsx"}, "unknown option '--decimalsx' (see --help)"},
  };
  for (const error_row& row : rows) EXPECT_EQ(parse(row.args).error, row.error) << row.name;
}

}  // namespace
}  // namespace tavrel::app
