// SPDX-License-Identifier: MIT
#include "app/cli_options.h"

#include <optional>
#include <string_view>

namespace tavrel::app {
namespace {

// Returns the value of "--name VALUE" or "--name=VALUE" at argv[i], moving i past it.
std::optional<std::string> option_value(std::string_view name, int argc, const char* const* argv,
                                        int& i, std::string& error) {
  const std::string_view arg = argv[i];
  if (arg.size() > name.size() && arg[name.size()] == '=') {
    return std::string(arg.substr(name.size() + 1));
  }
  if (i + 1 >= argc) {
    error = "option '" + std::string(name) + "' needs an argument";
    return std::nullopt;
  }
  return std::string(argv[++i]);
}

bool names_option(std::string_view arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                         arg[name.size()] == '=');
}

std::optional<Encoding> encoding_named(std::string_view name) {
  if (name == "utf-8" || name == "utf8" || name == "UTF-8") return Encoding::utf8;
  if (name == "gbk" || name == "GBK") return Encoding::gbk;
  return std::nullopt;
}

}  // namespace

ParseResult parse_options(int argc, const char* const* argv) {
  ParseResult result;
  Options& options = result.options;
  bool only_files = false;
  for (int i = 1; i < argc && result.error.empty(); ++i) {
    const std::string_view arg = argv[i];
    if (only_files || arg == "-" || arg.empty() || arg[0] != '-') {
      options.inputs.emplace_back(arg);
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (names_option(arg, "--decimals")) {
      if (auto value = option_value("--decimals", argc, argv, i, result.error)) {
        options.decimals = *value;
      }
    } else if (names_option(arg, "--encoding")) {
      if (auto value = option_value("--encoding", argc, argv, i, result.error)) {
        if (auto encoding = encoding_named(*value)) {
          options.encoding = *encoding;
        } else {
          result.error = "unknown encoding '" + *value + "' (use utf-8 or gbk)";
        }
      }
    } else {
      result.error = "unknown option '" + std::string(arg) + "' (see --help)";
    }
  }
  if (options.inputs.empty()) options.inputs.emplace_back("-");
  return result;
}

const char* usage_text() {
  return "Usage: tavrel-cli [--decimals TEXT] [--encoding utf-8|gbk] [FILE ...]\n"
         "Reads free-text lines from the FILEs in order (standard input when there is none, or\n"
         "for \"-\"), keeps the arithmetic of every line and writes \"expression=value\" lines.\n"
         "\n"
         "  --decimals TEXT     round every value to TEXT places and pad it with zeros, as the\n"
         "                      window's decimal places box does (\"\" or \"0\": no rounding)\n"
         "  --encoding utf-8    the input is UTF-8 (the default)\n"
         "  --encoding gbk      the input is GBK, taken byte for byte\n"
         "                      (an input that opens with a UTF-16 byte-order mark is UTF-16)\n"
         "  --help              show this text\n"
         "  --version           show the version\n"
         "\n"
         "Exit status: 0 on success, 2 for a bad option, an unreadable file or a failed write.\n";
}

}  // namespace tavrel::app
