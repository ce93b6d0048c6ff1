// SPDX-License-Identifier: MIT
// The command line of tavrel-cli.
#pragma once

#include <string>
#include <vector>

namespace tavrel::app {

enum class Encoding { utf8, gbk };

struct Options {
  std::string decimals;  // the decimal places box's text, before its tidy
  Encoding encoding = Encoding::utf8;
  std::vector<std::string> inputs;  // "-" is standard input
  bool help = false;
  bool version = false;
};

struct ParseResult {
  Options options;
  std::string error;  // a one-line description of what is wrong, or empty
};

// Returns the options of the command line, or the first problem found in it.
ParseResult parse_options(int argc, const char* const* argv);

// Returns the text that --help prints.
const char* usage_text();

}  // namespace tavrel::app
