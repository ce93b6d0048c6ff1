// SPDX-License-Identifier: MIT
// Taken as a whole, every stage but 6 is a local rule: a byte is kept, dropped or given a byte
// in front according to its neighbours and at most one flag, and stage 6 needs only counts. So
// three linear passes do all twelve stages: the first keeps the formula characters, the second
// keeps the first point of every number and counts, the third repairs the points, balances the
// parentheses and writes the operators and the "*"s. The buffers are sized once from the counts.
#include "formula/normalise_formula.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "text/half_width.h"

namespace tavrel::formula {
namespace {

using text::Text;

enum char_class : unsigned char { kOther, kDigit, kPoint, kOperator, kOpening, kClosing };
constexpr std::size_t kClassCount = 6;

constexpr std::array<unsigned char, 256> make_classes() {
  std::array<unsigned char, 256> classes{};
  for (unsigned char c = '0'; c <= '9'; ++c) classes[c] = kDigit;
  classes['.'] = kPoint;
  for (unsigned char c : {'+', '-', '*', '/', '^'}) classes[c] = kOperator;
  classes['('] = kOpening;
  classes[')'] = kClosing;
  return classes;
}

// The class of every byte; kOther for a byte that is no formula character (and for 0, which
// stands for a missing neighbour).
constexpr std::array<unsigned char, 256> kClasses = make_classes();

unsigned char class_of(char c) {
  return kClasses[static_cast<unsigned char>(c)];
}
bool is_digit(char c) {
  return class_of(c) == kDigit;
}
bool is_operator(char c) {
  return class_of(c) == kOperator;
}

// A buffer of bytes for one call: on the stack for a typical line, on the heap for a long one.
class scratch {
 public:
  explicit scratch(std::size_t size) {
    if (size > stack_.size()) heap_ = std::make_unique_for_overwrite<char[]>(size);
  }
  char* data() { return heap_ ? heap_.get() : stack_.data(); }

 private:
  std::array<char, 512> stack_;
  std::unique_ptr<char[]> heap_;
};

// What a byte becomes after folding, for a lookup without branches: a byte at a character
// boundary stands for itself (index 0..FF), and a trail byte with its lead byte (index lead << 8
// | trail) for its one-byte form, or 0 when it has none. Built once from text::half_width_of, so
// the folding rules stay in the text layer; it never changes afterwards.
class fold_table {
 public:
  fold_table() {
    for (unsigned b = 0; b <= 0xFF; ++b) forms_[b] = static_cast<char>(b);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0; trail <= 0xFF; ++trail) {
        forms_[lead << 8 | trail] = text::half_width_of(static_cast<unsigned char>(lead),
                                                        static_cast<unsigned char>(trail));
      }
    }
  }
  const char* data() const { return forms_.data(); }

 private:
  std::array<char, 0x10000> forms_{};
};

// Stages 0 and 1: writes the formula characters of the folded line to kept (room for the whole
// line) and returns their number. A two-byte character counts by its one-byte form when it has
// one and otherwise goes whole; a lone lead byte at the end goes; blanks are no formula
// characters. A lead byte (81..FE) that is no trail byte is never kept itself and makes the
// next byte its trail; 80 and FF are characters of one byte, and no formula characters.
std::size_t keep_formula_characters(std::string_view line, char* kept) {
  static const fold_table folds;
  const char* const forms = folds.data();
  std::size_t count = 0;
  unsigned lead_if_trail = 0;  // the lead byte when the next byte is its trail, else 0
  for (char c : line) {
    const auto b = static_cast<unsigned char>(c);
    const char kept_byte = forms[lead_if_trail << 8 | b];
    kept[count] = kept_byte;
    count += class_of(kept_byte) != kOther ? 1 : 0;
    // A lead byte begins a character unless it is itself a trail.
    lead_if_trail = lead_if_trail == 0 && text::is_lead_byte(b) ? b : 0;
  }
  return count;
}

// What the census of the formula characters after stage 4 finds.
struct line_census {
  std::size_t characters = 0;
  std::size_t digits = 0;
  std::size_t points = 0;
  std::size_t operators = 0;
  std::size_t opening = 0;
  std::size_t closing = 0;
};

// Stage 2: with t[1..n] the kept characters and t[0] free, returns them with "0" in front of a
// leading point and without a trailing point.
std::string_view point_at_either_end(char* t, std::size_t n) {
  std::size_t first = 1;
  if (t[1] == '.') t[first = 0] = '0';
  if (t[n] == '.') --n;
  return {t + first, n + 1 - first};
}

// Stages 3 and 4: copies t to out with only the first point of every run of digits and points,
// and returns the census of what it copied.
line_census first_point_per_number(std::string_view t, char* out) {
  // Bitwise operators and separate sums: no branch depends on the bytes, and no sum waits for
  // another.
  std::size_t kept = 0;
  std::size_t digits = 0;
  std::size_t points = 0;
  std::size_t opening = 0;
  std::size_t closing = 0;
  unsigned point_seen = 0;
  for (char c : t) {
    const unsigned char k = class_of(c);
    const unsigned point = k == kPoint;
    const unsigned digit = k == kDigit;
    const unsigned keep = 1 - (point & point_seen);
    out[kept] = c;
    kept += keep;
    digits += digit;
    points += point & keep;
    opening += k == kOpening;
    closing += k == kClosing;
    point_seen = (point_seen | point) & (point | digit);
  }
  line_census census;
  census.characters = kept;
  census.digits = digits;
  census.points = points;
  census.operators = kept - digits - points - opening - closing;
  census.opening = opening;
  census.closing = closing;
  return census;
}

// The parentheses as stage 6 leaves them.
struct parenthesis_balance {
  std::size_t exchanged = 0;  // the index of the first ")" when it becomes "(", or npos
  std::size_t missing_opening = 0;
  std::size_t missing_closing = 0;
  std::size_t pairs = 0;  // "(" and ")" each after stage 6
};

// Returns what stage 6 does to the parentheses of t, which the census counted.
parenthesis_balance balance_of(const line_census& census, std::string_view t) {
  parenthesis_balance b;
  b.exchanged = std::string_view::npos;
  if (census.opening > 0 && census.closing > 0) {
    const std::size_t first = t.find_first_of("()");
    if (t[first] == ')') b.exchanged = first;
  }
  const std::size_t turned = b.exchanged != std::string_view::npos ? 1 : 0;
  const std::size_t opening = census.opening + turned;
  const std::size_t closing = census.closing - turned;
  b.missing_closing = opening > closing ? opening - closing : 0;
  b.missing_opening = closing > opening ? closing - opening : 0;
  b.pairs = std::max(opening, closing);
  return b;
}

// Returns a length that the result cannot exceed: the characters after stage 4, the "0"s that
// stages 5, 8 and 9 may insert, the parentheses of stage 6 and the "*"s of stage 11 (at most one
// after every ")" and one before every "(" that follows a digit).
std::size_t result_bound(const line_census& census, const parenthesis_balance& b) {
  const std::size_t zeros = census.points + 2 + std::min(b.pairs, census.operators);
  const std::size_t stars = b.pairs + std::min(b.pairs, census.digits + zeros);
  return census.characters + zeros + b.missing_opening + b.missing_closing + stars;
}

// What stages 9 to 11 do with a byte, given the byte before it.
struct byte_action {
  char prefix = 0;  // a byte put in front, or 0
  bool keep = true;
};

constexpr std::array<std::array<byte_action, kClassCount>, kClassCount> make_actions() {
  std::array<std::array<byte_action, kClassCount>, kClassCount> actions;
  for (auto& row : actions) row.fill(byte_action{});
  // Stage 9: "0" between "(" and an operator. Stage 10: an operator after an operator goes.
  actions[kOpening][kOperator].prefix = '0';
  actions[kOperator][kOperator].keep = false;
  // Stage 11: "*" between ")" and "(", a digit and "(", ")" and a digit.
  actions[kClosing][kOpening].prefix = '*';
  actions[kDigit][kOpening].prefix = '*';
  actions[kClosing][kDigit].prefix = '*';
  return actions;
}

// The action for each class of the byte before (first index) and of the byte itself.
constexpr auto kActions = make_actions();

// Stages 7 to 11, as the bytes of the text that stage 6 leaves arrive: writes them with "0" in
// front of a leading operator and after a trailing one, "0" between "(" and an operator, only
// the first operator of every run, and "*" where a parenthesis meets a digit or the other
// parenthesis. out has room for limit bytes, two more than the result can take.
//
// Stage 11 looks at the byte before in the text that stage 10 leaves, stage 10 at the one in
// the text that stage 9 leaves; the byte before in the text of stage 6 serves both, since it
// has the same class whenever the class matters: a "0" of stage 9 stands only before an
// operator, and an operator that stage 10 drops follows the operator that it keeps.
class operator_writer {
 public:
  operator_writer(char* out, std::size_t limit) : out_(out), limit_(limit) {}
  void put(char c) {
    if (before_ == 0 && is_operator(c)) write('0');
    write(c);
  }
  // Returns the length of the result.
  std::size_t finish() {
    if (is_operator(before_)) write('0');
    return size_;
  }

 private:
  void write(char c) {
    if (size_ + 2 > limit_) return;  // never taken: limit exceeds the bound on the result
    const byte_action& action = kActions[class_of(before_)][class_of(c)];
    out_[size_] = action.prefix;
    size_ += action.prefix != 0 ? 1 : 0;
    out_[size_] = c;
    size_ += action.keep ? 1 : 0;
    before_ = c;
  }

  char* out_;
  std::size_t limit_;
  std::size_t size_ = 0;
  char before_ = 0;  // none yet
};

// Stages 5 and 6, feeding stages 7 to 11: writes the missing "(", then t with every point
// repaired, then the missing ")", and returns the length of the result. A point gets "0" in
// front when the byte before it is no digit (or there is none), and goes when the byte after
// it is neither a digit nor "^" (or there is none); both neighbours are those of t.
std::size_t write_result(std::string_view t, const parenthesis_balance& balance, char* out,
                         std::size_t limit) {
  operator_writer writer(out, limit);
  for (std::size_t k = 0; k < balance.missing_opening; ++k) writer.put('(');
  const std::size_t n = t.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = t[i];
    if (c != '.') {
      writer.put(c);
      continue;
    }
    const char before = i > 0 ? t[i - 1] : 0;
    const char after = i + 1 < n ? t[i + 1] : 0;
    if (!is_digit(before)) writer.put('0');
    if (is_digit(after) || after == '^') writer.put('.');
  }
  for (std::size_t k = 0; k < balance.missing_closing; ++k) writer.put(')');
  return writer.finish();
}

}  // namespace

Text normalise_formula(std::string_view line) {
  // Every stage's text has its own buffer, since copying is faster than editing in place.
  scratch stage1_space(line.size() + 1);
  char* const stage1 = stage1_space.data();
  const std::size_t count = keep_formula_characters(line, stage1 + 1);
  if (count == 0) return Text();
  const std::string_view stage2 = point_at_either_end(stage1, count);

  scratch stage4_space(stage2.size());
  char* const stage4 = stage4_space.data();
  const line_census census = first_point_per_number(stage2, stage4);
  const std::string_view stage4_text(stage4, census.characters);
  const parenthesis_balance balance = balance_of(census, stage4_text);
  // Stage 5 treats "(" and ")" alike, so the exchange of stage 6 can come before it.
  if (balance.exchanged != std::string_view::npos) stage4[balance.exchanged] = '(';

  Text result(result_bound(census, balance) + 2, '\0');
  result.resize(write_result(stage4_text, balance, result.data(), result.size()));
  return result;
}

}  // namespace tavrel::formula
