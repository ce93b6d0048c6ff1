// SPDX-License-Identifier: MIT
// In-memory boxes that record every operation a run makes on them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/run_calculation.h"

namespace tavrel::app::testing {

class RecordingBoxes : public Boxes {
 public:
  explicit RecordingBoxes(text::Text input_text = {}, text::Text decimals_text = {},
                          text::Text result_text = {})
      : input(std::move(input_text)),
        result(std::move(result_text)),
        decimals(std::move(decimals_text)) {}

  text::Text input;
  text::Text result;
  text::Text decimals;
  std::vector<std::string> log;  // "get input", "set result ...", "append result ..."

  text::Text get_text(Box box) override {
    log.push_back("get " + name(box));
    return box_text(box);
  }
  void set_text(Box box, std::string_view t) override {
    log.push_back("set " + name(box) + " " + std::string(t));
    box_text(box) = t;
  }
  void append_text(Box box, std::string_view t) override {
    log.push_back("append " + name(box) + " " + std::string(t));
    box_text(box).append(t);
  }

 private:
  static std::string name(Box box) {
    switch (box) {
      case Box::input:
        return "input";
      case Box::result:
        return "result";
      case Box::decimals:
        return "decimals";
    }
    return "?";
  }
  text::Text& box_text(Box box) {
    return box == Box::input ? input : box == Box::result ? result : decimals;
  }
};

}  // namespace tavrel::app::testing
