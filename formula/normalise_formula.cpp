// SPDX-License-Identifier: MIT
// Taken as a whole, every stage but 6 is a local rule: a byte is kept, dropped or given a byte
// in front according to its neighbours and at most one flag, and stage 6 needs only counts. So
// two linear passes do all twelve stages, with a count of the parentheses between them: the
// first folds the line and keeps its formula characters; the second keeps the first point of
// every number, repairs the points, balances the parentheses and writes the operators and the
// "*"s. Nothing is allocated but the result, for a line of up to 496 bytes.
#include "formula/normalise_formula.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/half_width.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
using text::is_digit;

// A buffer of bytes for one call: on the stack for a typical line, on the heap for a long one.
class scratch {
 public:
  explicit scratch(std::size_t size) {
    if (size > m_stack.size()) m_heap = std::make_unique_for_overwrite<char[]>(size);
  }
  char* data() { return m_heap ? m_heap.get() : m_stack.data(); }

 private:
  std::array<char, 512> m_stack;
  std::unique_ptr<char[]> m_heap;
};

// What a byte becomes after folding, for a lookup without branches that stays in the first level
// of the cache: the first row holds every byte at a character boundary as itself, then comes a
// row of 256 forms for every lead byte that has one-byte forms and one row of zeros for all the
// other lead bytes. A trail byte is looked up in the row of its lead byte, any other byte in the
// first row. Built once from text::half_width_of, so the folding rules stay in the text layer.
class fold_table {
 public:
  fold_table() {
    m_forms.resize(256);
    for (unsigned b = 0; b <= 0xFF; ++b) m_forms[b] = static_cast<char>(b);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      std::array<char, 256> row{};
      for (unsigned trail = 0; trail <= 0xFF; ++trail) {
        row[trail] = text::half_width_of(static_cast<unsigned char>(lead),
                                         static_cast<unsigned char>(trail));
      }
      m_rows[lead] = row_start(row);
    }
  }
  // The start of the row for the byte after b, by b: that of b when b is a lead byte, else 0.
  const std::uint16_t* rows() const { return m_rows.data(); }
  // The form of a byte b in the row that starts at r, at r | b.
  const char* forms() const { return m_forms.data(); }

 private:
  // Returns where the row starts, adding it unless an equal row is there already.
  unsigned row_start(const std::array<char, 256>& row) {
    for (std::size_t start = 256; start < m_forms.size(); start += 256) {
      if (std::equal(row.begin(), row.end(),
                     m_forms.begin() + static_cast<std::ptrdiff_t>(start))) {
        return static_cast<unsigned>(start);
      }
    }
    const auto start = static_cast<unsigned>(m_forms.size());
    m_forms.insert(m_forms.end(), row.begin(), row.end());
    return start;
  }

  std::array<std::uint16_t, 256> m_rows{};
  std::vector<char> m_forms;
};

// 1 for a formula character, 0 for any other byte.
constexpr std::array<unsigned char, 256> make_formula_flags() {
  std::array<unsigned char, 256> flags{};
  for (unsigned c = 0; c < 256; ++c) flags[c] = kClasses[c] != kOther ? 1 : 0;
  return flags;
}
constexpr auto kIsFormula = make_formula_flags();

// The parentheses of the formula characters, and the first of them (0 when there is none).
struct parenthesis_count {
  std::size_t opening = 0;
  std::size_t closing = 0;
  char first = 0;
};

// The bytes after the formula characters that count_parentheses may read: zeros, which are no
// parentheses.
constexpr std::size_t kCountPadding = 16;

#if defined(__SSE2__)

// Returns the parentheses of t, sixteen characters at a time: the bytes up to the next multiple
// of sixteen after t can be read, and are no parentheses.
parenthesis_count count_parentheses(std::string_view t) {
  parenthesis_count count;
  const __m128i opening = _mm_set1_epi8('(');
  const __m128i closing = _mm_set1_epi8(')');
  const __m128i zero = _mm_setzero_si128();
  for (std::size_t start = 0; start < t.size();) {
    // Each byte of a sum counts up to 255 blocks, then the sums are added up.
    __m128i opening_sum = zero, closing_sum = zero;
    for (int blocks = 0; blocks < 255 && start < t.size(); ++blocks, start += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data() + start));
      const __m128i is_opening = _mm_cmpeq_epi8(block, opening);
      const __m128i is_closing = _mm_cmpeq_epi8(block, closing);
      opening_sum = _mm_sub_epi8(opening_sum, is_opening);
      closing_sum = _mm_sub_epi8(closing_sum, is_closing);
      const auto marks =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(is_opening, is_closing)));
      if (count.first == 0 && marks != 0) count.first = t[start + std::countr_zero(marks)];
    }
    const __m128i opening_total = _mm_sad_epu8(opening_sum, zero);
    const __m128i closing_total = _mm_sad_epu8(closing_sum, zero);
    count.opening += static_cast<std::size_t>(_mm_cvtsi128_si32(opening_total)) +
                     static_cast<std::size_t>(_mm_extract_epi16(opening_total, 4));
    count.closing += static_cast<std::size_t>(_mm_cvtsi128_si32(closing_total)) +
                     static_cast<std::size_t>(_mm_extract_epi16(closing_total, 4));
  }
  return count;
}

#else

// Returns the parentheses of t.
parenthesis_count count_parentheses(std::string_view t) {
  parenthesis_count count;
  for (const char c : t) {
    if (count.first == 0 && (c == '(' || c == ')')) count.first = c;
    count.opening += c == '(' ? 1 : 0;
    count.closing += c == ')' ? 1 : 0;
  }
  return count;
}

#endif

// Stages 0 and 1, byte by byte so that no step waits for a load of the step before: writes
// the formula characters of the folded line to kept and returns their end. A two-byte character
// counts by its one-byte form when it has one and otherwise goes whole; a lone lead byte at the
// end goes; blanks are no formula characters.
char* keep_formula_characters(std::string_view line, char* kept) {
  static const fold_table folds;
  const std::uint16_t* const rows = folds.rows();
  const char* const forms = folds.forms();
  unsigned row = 0;  // the row of the lead byte before, when this byte is its trail
  for (const char byte : line) {
    const auto b = static_cast<unsigned char>(byte);
    // A lead byte itself, and a lone one at the end, stand for themselves: no formula characters.
    const char c = forms[row | b];
    row = rows[b] & (0u - (row == 0 ? 1u : 0u));  // a trail byte begins no pair
    *kept = c;
    kept += kIsFormula[static_cast<unsigned char>(c)];
  }
  return kept;
}

// The parentheses as stage 6 leaves them.
struct parenthesis_balance {
  bool exchanged = false;  // the first ")" becomes "("
  std::size_t missing_opening = 0;
  std::size_t missing_closing = 0;
};

// Returns what stage 6 does to parentheses: the first ")" becomes "(" when it comes first and
// there is a "(" too; then the missing ones are added.
parenthesis_balance balance_of(const parenthesis_count& count) {
  parenthesis_balance b;
  b.exchanged = count.first == ')' && count.opening > 0;
  const std::size_t turned = b.exchanged ? 1 : 0;
  const std::size_t opening = count.opening + turned;
  const std::size_t closing = count.closing - turned;
  b.missing_closing = opening > closing ? opening - closing : 0;
  b.missing_opening = closing > opening ? closing - opening : 0;
  return b;
}

// Returns a length that the result cannot exceed: a byte of t gives at most itself and one byte
// in front, a point at most "*0." (its "0" after a ")"), and the parentheses of stage 6 and the
// "0" after a trailing operator one byte each, since nothing is put in front of them.
std::size_t result_bound(std::size_t characters, const parenthesis_balance& b) {
  return 3 * characters + b.missing_opening + b.missing_closing + 1;
}

// What stages 7 to 11 do with a byte, given the class of the byte before.
struct byte_action {
  char prefix = 0;  // a byte put in front, or 0
  bool keep = true;
};

// The class that stands for "no byte yet" as the byte before.
constexpr unsigned kStart = kClassCount;

constexpr std::array<std::array<byte_action, kClassCount>, kClassCount + 1> make_actions() {
  std::array<std::array<byte_action, kClassCount>, kClassCount + 1> actions;
  for (auto& row : actions) row.fill(byte_action{});
  // Stage 7: "0" in front of a leading operator. Stage 9: "0" between "(" and an operator.
  // Stage 10: an operator after an operator goes.
  actions[kStart][kOperator].prefix = '0';
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
// parenthesis. out has room for the bound on the result.
//
// Stage 11 looks at the byte before in the text that stage 10 leaves, stage 10 at the one in
// the text that stage 9 leaves; the byte before in the text of stage 6 serves both, since it
// has the same class whenever the class matters: a "0" of stage 9 stands only before an
// operator, and an operator that stage 10 drops follows the operator that it keeps.
class operator_writer {
 public:
  explicit operator_writer(char* out) : m_begin(out), m_out(out) {}
  void put(char c, unsigned k) {
    const byte_action action = kActions[m_before][k];
    *m_out = action.prefix;
    m_out += action.prefix != 0 ? 1 : 0;
    *m_out = c;
    m_out += action.keep ? 1 : 0;
    m_before = k;
  }
  // Returns the length of the result.
  std::size_t finish() {
    if (m_before == kOperator) put('0', kDigit);
    return static_cast<std::size_t>(m_out - m_begin);
  }

 private:
  char* m_begin;
  char* m_out;
  unsigned m_before = kStart;
};

// Stages 2 to 6, feeding stages 7 to 11, in one pass over the formula characters t: writes the
// missing "(", then t with stage 2's "0" in front of a leading point and without its trailing
// point, only the first point of every run of digits and points (stage 3), every point repaired
// (stage 5) and the first ")" exchanged (stage 6), then the missing ")"; returns the length of
// the result. The missing "(" can go first, before the characters are seen: after a "(" the
// writer acts exactly as at the start. A point that stage 3 keeps gets "0" in front when the
// byte before it is no digit (or there is none), and goes when the byte after it is neither a
// digit nor "^" (or there is none); both neighbours are those of the text that stage 4 leaves,
// where the byte after a kept point is the first byte after it that is no point.
std::size_t write_result(std::string_view t, const parenthesis_balance& balance, char* out) {
  operator_writer writer(out);
  for (std::size_t k = 0; k < balance.missing_opening; ++k) writer.put('(', kOpening);
  char before = 0;  // the last byte of the text of stage 4 so far
  if (t.front() == '.') {
    writer.put('0', kDigit);
    before = '0';
  }
  if (t.back() == '.') t.remove_suffix(1);
  bool exchange = balance.exchanged;
  bool point_in_run = false;
  const std::size_t n = t.size();
  for (std::size_t i = 0; i < n; ++i) {
    char c = t[i];
    unsigned k = class_of(c);
    if (k == kPoint) {
      if (point_in_run) continue;  // stage 3
      point_in_run = true;
      std::size_t next = i + 1;
      while (next < n && t[next] == '.') ++next;
      const char after = next < n ? t[next] : 0;
      if (!is_digit(before)) writer.put('0', kDigit);
      if (is_digit(after) || after == '^') writer.put('.', kPoint);
      before = c;
      continue;
    }
    point_in_run = point_in_run && k == kDigit;
    if (exchange && c == ')') {
      c = '(';
      k = kOpening;
      exchange = false;
    }
    writer.put(c, k);
    before = c;
  }
  for (std::size_t k = 0; k < balance.missing_closing; ++k) writer.put(')', kClosing);
  return writer.finish();
}

}  // namespace

void append_normalised_formula(Text& out, std::string_view line) {
  scratch stage1_space(line.size() + kCountPadding);
  char* const stage1 = stage1_space.data();
  char* const kept_end = keep_formula_characters(line, stage1);
  std::fill_n(kept_end, kCountPadding, '\0');
  const std::string_view kept(stage1, static_cast<std::size_t>(kept_end - stage1));
  if (kept.empty()) return;
  const parenthesis_balance balance = balance_of(count_parentheses(kept));
  const std::size_t start = out.size();
  out.resize(start + result_bound(kept.size() + 1, balance));
  out.resize(start + write_result(kept, balance, out.data() + start));
}

Text normalise_formula(std::string_view line) {
  Text result;
  append_normalised_formula(result, line);
  return result;
}

}  // namespace tavrel::formula
