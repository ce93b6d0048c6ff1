// SPDX-License-Identifier: MIT
// The live run against a run from scratch: the input says a sequence of edits of a text (which
// bytes to replace with which), each followed by a run over the whole new text; after every run
// the result box holds exactly what run_calculation writes for that text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/live_run.h"
#include "app/run_calculation.h"

namespace {

// A result box of CR LF lines in memory.
class MemoryResultBox : public tavrel::app::ResultBox {
 public:
  std::string text;

  void replace_lines(std::size_t first, std::size_t end, std::string_view lines) override {
    const std::size_t from = offset(first);
    const std::size_t to = end == kToTheEnd ? text.size() : offset(end);
    text.replace(from, to - from, lines);
  }
  void show_end() override {}

 private:
  std::size_t offset(std::size_t line) const {
    std::size_t at = 0;
    for (std::size_t i = 0; i < line && at < text.size(); ++i) at = text.find("\r\n", at) + 2;
    return at;
  }
};

class MemoryBoxes : public tavrel::app::Boxes {
 public:
  tavrel::text::Text input, result, decimals;
  tavrel::text::Text get_text(tavrel::app::Box box) override { return slot(box); }
  void set_text(tavrel::app::Box box, std::string_view t) override { slot(box) = t; }
  void append_text(tavrel::app::Box box, std::string_view t) override { slot(box) += t; }

 private:
  tavrel::text::Text& slot(tavrel::app::Box box) {
    return box == tavrel::app::Box::input    ? input
           : box == tavrel::app::Box::result ? result
                                             : decimals;
  }
};

// Makes the bytes a text the input box can hold: no byte 0, and no lead byte without a second
// byte, so that a line break is never taken into a character.
std::string as_box_text(std::string_view bytes) {
  std::string t;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const bool lead = b >= 0x81 && b <= 0xFE;
    const bool second = i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x40 &&
                        static_cast<unsigned char>(bytes[i + 1]) <= 0xFE && bytes[i + 1] != 0x7F;
    if (lead && second) {
      t.append(bytes.substr(i++, 2));
    } else {
      t.push_back(b == 0 || lead ? '?' : bytes[i]);
    }
  }
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tavrel::eval::ScriptComponent script;
  MemoryResultBox box;
  tavrel::app::ResultCache cache(1 << 20);
  tavrel::app::LiveRun live(box, cache, script, 16);
  std::string text;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Each edit: position, length removed, decimals choice, length inserted, inserted bytes.
  for (std::size_t i = 0; i + 4 <= bytes.size();) {
    const std::size_t at = static_cast<unsigned char>(bytes[i]) % (text.size() + 1);
    const std::size_t removed =
        std::min<std::size_t>(static_cast<unsigned char>(bytes[i + 1]) % 8, text.size() - at);
    const char* const decimals[] = {"", "", "2", "0", "-1", "x"};
    const std::string_view count = decimals[static_cast<unsigned char>(bytes[i + 2]) % 6];
    const std::size_t inserted =
        std::min<std::size_t>(static_cast<unsigned char>(bytes[i + 3]) % 16, bytes.size() - i - 4);
    text.replace(at, removed, bytes.substr(i + 4, inserted));
    text = as_box_text(text);
    i += 4 + inserted;
    if (bytes[i - 1] == '!') box.text += "typed";  // the result box edited by hand
    if (bytes[i - 1] == '!') live.note_result_change();
    live.run_text(text, count, bytes[i - 2] == '=');
    MemoryBoxes boxes;
    boxes.input = text;
    boxes.decimals = std::string(count);
    tavrel::app::run_calculation(boxes, script);
    if (boxes.result != box.text) {
      std::fputs("the live run's result box differs from a run from scratch\n", stderr);
      std::abort();
    }
  }
  return 0;
}
