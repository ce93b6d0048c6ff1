// SPDX-License-Identifier: MIT
#include "eval/format_number.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "eval/non_finite.h"

namespace tavrel::eval {
namespace {

constexpr int kSignificantDigits = 13;

// Added to the scaled magnitude before the split, so that 1.005 × 100 = 100.49999999999999
// still rounds up to 101.
constexpr double kRoundingBias = 1e-12;

// A padded plain text is the sign, up to 13 integer digits, the point and the decimals: with
// 184 decimals it still fits in 199 bytes.
constexpr std::int32_t kMaxDecimals = 184;
constexpr std::size_t kMaxBytes = 199;

// Below this count 10^-n is no longer a double and every finite number rounds to 0.
constexpr std::int32_t kMinDecimals = -308;

// Returns the double nearest to 10^k for k in 0..308. std::pow is off by one unit in the last
// place for some k (10^23 among them), so the table is read from decimal text once.
double power_of_ten(std::int32_t k) {
  static const std::array<double, 309> table = [] {
    std::array<double, 309> powers{};
    for (std::size_t i = 0; i < powers.size(); ++i) {
      std::array<char, 8> text{'1', 'e'};
      char* end = std::to_chars(text.data() + 2, text.data() + text.size(), i).ptr;
      std::from_chars(text.data(), end, powers[i]);
    }
    return powers;
  }();
  return table[static_cast<std::size_t>(k)];
}

// Returns the whole number nearest to scaled, halves and values short of a half by less than
// the bias going up.
double round_half_up(double scaled) {
  double whole = 0.0;
  const double fraction = std::modf(scaled + kRoundingBias, &whole);
  return fraction >= 0.5 ? whole + 1.0 : whole;
}

// Returns x rounded to n places after the point, halves away from zero. A value whose scaled
// magnitude, or whose rounded value, is not a double is left as it is.
double round_to_places(double x, std::int32_t n) {
  if (x == 0.0) return x;
  const double m = std::fabs(x);
  double r = 0.0;
  if (n > 0) {
    const double p = power_of_ten(std::min(n, kMaxDecimals));
    const double s = m * p;
    if (!std::isfinite(s)) return x;
    r = round_half_up(s) / p;
  } else if (n == 0) {
    r = round_half_up(m);
  } else if (n >= kMinDecimals) {
    const double p = power_of_ten(-n);
    r = round_half_up(m / p) * p;
    if (!std::isfinite(r)) return x;
  }
  return std::signbit(x) ? -r : r;
}

// A fixed buffer that cannot overrun: every number text fits well inside it.
class TextBuffer {
 public:
  void put(char c) { put_n(1, c); }
  void put(std::string_view s) {
    const std::size_t n = std::min(s.size(), room());
    std::copy_n(s.data(), n, m_bytes.data() + m_size);
    m_size += n;
  }
  void put_zeros(std::size_t count) { put_n(count, '0'); }
  std::string_view view() const { return {m_bytes.data(), m_size}; }

 private:
  std::size_t room() const { return m_bytes.size() - m_size; }
  void put_n(std::size_t count, char c) {
    const std::size_t n = std::min(count, room());
    std::fill_n(m_bytes.data() + m_size, n, c);
    m_size += n;
  }

  std::array<char, 256> m_bytes;
  std::size_t m_size = 0;
};

// The 13 significant digits of a positive finite number and the decimal exponent of the first.
struct Decimal {
  std::array<char, kSignificantDigits> digits{};
  int exponent = 0;
  // The digits without their trailing zeros (never empty: the first digit is not 0).
  std::string_view significant() const {
    std::size_t n = digits.size();
    while (n > 1 && digits[n - 1] == '0') --n;
    return {digits.data(), n};
  }
};

// Returns the double nearest to 10^k for k in -10..12.
double power_of_ten_at_most_13(int k) {
  static constexpr std::array<double, 23> kPowers = {
      1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,
      1e2,   1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12};
  return kPowers[static_cast<std::size_t>(k + 10)];
}

// Writes the digits of a whole number below 10^13 as the 13 digits of its value: exact.
Decimal whole_number_decimal(std::uint64_t v) {
  Decimal d;
  std::array<char, 20> text{};
  char* end = std::to_chars(text.data(), text.data() + text.size(), v).ptr;
  const auto count = static_cast<std::size_t>(end - text.data());
  std::fill(std::copy(text.data(), end, d.digits.begin()), d.digits.end(), '0');
  d.exponent = static_cast<int>(count) - 1;
  return d;
}

// The powers of ten that are exact in a double, 10^0 to 10^22.
constexpr std::array<double, 23> kExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The digits of m correctly rounded to 13, as the whole number D nearest to m × 10^p for the p
// that gives D 13 digits. The rounded product serves: every half D + 0.5 is a double at these
// sizes, and rounding keeps order, so the product lies on the same side of each half as the
// exact one, unless it is that half itself. Then (a tie, or too near one to tell), and when m
// lies outside the range where 10^p is exact, there is no answer here.
std::optional<Decimal> scaled_decimal(double m) {
  if (!(m >= 1e-9 && m < 1e13)) return std::nullopt;
  // The decimal exponent of m, from its binary one: exact or one too small.
  const int binary = static_cast<int>(std::bit_cast<std::uint64_t>(m) >> 52) - 1023;
  int exponent = binary * 78913 >> 18;  // floor(binary × log10(2)), for |binary| < 1000
  if (exponent + 1 < kSignificantDigits && m >= power_of_ten_at_most_13(exponent + 1)) ++exponent;
  const int p = kSignificantDigits - 1 - exponent;
  if (p < 0 || p >= static_cast<int>(kExactPowers.size())) return std::nullopt;
  const double power = kExactPowers[static_cast<std::size_t>(p)];
  const double product = m * power;
  const double whole = std::round(product);
  if (std::fabs(product - whole) == 0.5) return std::nullopt;  // exact: both lie near 10^12
  const auto digits = static_cast<std::uint64_t>(whole);
  constexpr std::uint64_t kLowest = 1'000'000'000'000, kBeyond = 10'000'000'000'000;
  if (digits < kLowest || digits >= kBeyond) return std::nullopt;
  Decimal d = whole_number_decimal(digits);
  d.exponent = exponent;
  return d;
}

// The digits of m correctly rounded to 13, read from its shortest text (the fewest digits that
// read back as m, the nearest of them when there are several). With at most 13 digits that text
// is the nearest 13-digit value itself: it lies within half a unit in the last place of m, and
// 13-digit values stand far further apart. With more, every 13-digit rounding boundary lies on
// the same side of m as of the text: one between them would lie nearer to m and so read back as
// m with fewer digits. This holds for normal numbers whose neighbours lie equally far on both
// sides (not a power of two); for others, and when the text is itself a boundary (its 14th digit
// a final 5), there is no answer here.
std::optional<Decimal> rounded_shortest_decimal(double m) {
  if (m < std::numeric_limits<double>::min()) return std::nullopt;  // subnormal
  // d[.ddd]e±dd, at most 17 digits.
  std::array<char, 32> text{};
  const char* end =
      std::to_chars(text.data(), text.data() + text.size(), m, std::chars_format::scientific).ptr;
  std::array<char, 17> digits{};
  std::size_t count = 0;
  const char* p = text.data();
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  Decimal d;
  std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, d.exponent);
  if (count <= kSignificantDigits) {
    std::fill(std::copy_n(digits.begin(), count, d.digits.begin()), d.digits.end(), '0');
    return d;
  }
  const bool power_of_two = (std::bit_cast<std::uint64_t>(m) & ((std::uint64_t{1} << 52) - 1)) == 0;
  const char next = digits[kSignificantDigits];
  if (power_of_two || (count == kSignificantDigits + 1 && next == '5')) return std::nullopt;
  std::copy_n(digits.begin(), kSignificantDigits, d.digits.begin());
  if (next >= '5') {
    // Round up: a carry through 9s, and past the first digit a new decade.
    std::size_t i = kSignificantDigits;
    while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
    if (i > 0) {
      ++d.digits[i - 1];
    } else {
      d.digits[0] = '1';
      ++d.exponent;
    }
  }
  return d;
}

// The 13 digits of m correctly rounded, halves to even, like "%.12e".
Decimal exactly_rounded_decimal(double m) {
  // d.dddddddddddde-ddd
  std::array<char, 32> text{};
  const char* end = std::to_chars(text.data(), text.data() + text.size(), m,
                                  std::chars_format::scientific, kSignificantDigits - 1)
                        .ptr;
  Decimal d;
  d.digits[0] = text[0];
  std::copy(text.data() + 2, text.data() + 1 + kSignificantDigits, d.digits.data() + 1);
  const char* e = text.data() + 2 + kSignificantDigits;  // just past 'e'
  std::from_chars(e[0] == '+' ? e + 1 : e, end, d.exponent);
  return d;
}

// The digits of a positive finite number: whole numbers and shortest texts without the general
// conversion, which gives the same digits.
Decimal to_decimal(double m) {
  if (m < 1e13 && m == std::floor(m)) return whole_number_decimal(static_cast<std::uint64_t>(m));
  if (const std::optional<Decimal> d = scaled_decimal(m)) return *d;
  if (const std::optional<Decimal> d = rounded_shortest_decimal(m)) return *d;
  return exactly_rounded_decimal(m);
}

// The exponent form: "1.5e-007", "1e+020".
void put_exponent_form(const Decimal& d, TextBuffer& out) {
  const std::string_view digits = d.significant();
  out.put(digits[0]);
  if (digits.size() > 1) {
    out.put('.');
    out.put(digits.substr(1));
  }
  out.put('e');
  out.put(d.exponent < 0 ? '-' : '+');
  std::array<char, 8> magnitude{};
  const char* end =
      std::to_chars(magnitude.data(), magnitude.data() + magnitude.size(), std::abs(d.exponent))
          .ptr;
  const std::string_view written(magnitude.data(),
                                 static_cast<std::size_t>(end - magnitude.data()));
  if (written.size() < 3) out.put_zeros(3 - written.size());
  out.put(written);
}

// The plain form: the integer digits ("0" when there are none), then the point and the
// remaining significant digits when there are any.
void put_plain_form(const Decimal& d, TextBuffer& out) {
  const std::string_view digits = d.significant();
  if (d.exponent < 0) {
    out.put("0.");
    out.put_zeros(static_cast<std::size_t>(-d.exponent - 1));
    out.put(digits);
    return;
  }
  const std::size_t integer_digits = static_cast<std::size_t>(d.exponent) + 1;
  out.put(digits.substr(0, integer_digits));
  if (digits.size() < integer_digits) out.put_zeros(integer_digits - digits.size());
  if (digits.size() > integer_digits) {
    out.put('.');
    out.put(digits.substr(integer_digits));
  }
}

// Returns the number of places after the point of a plain-form text.
std::size_t places(std::string_view t) {
  const std::size_t point = t.find('.');
  return point == std::string_view::npos ? 0 : t.size() - point - 1;
}

// Returns t with a "," before every group of three integer digits, or t unchanged when it is
// not a plain decimal or the grouped text would not fit in kMaxBytes.
text::Text grouped(std::string_view t) {
  const std::size_t sign = t.starts_with('-') ? 1 : 0;
  const std::string_view body = t.substr(sign);
  if (body.empty() || body.find_first_not_of("0123456789.") != std::string_view::npos) {
    return text::Text(t);
  }
  const std::size_t integer_digits = std::min(body.find('.'), body.size());
  const std::size_t commas = integer_digits == 0 ? 0 : (integer_digits - 1) / 3;
  if (t.size() + commas > kMaxBytes) return text::Text(t);

  text::Text out;
  out.reserve(t.size() + commas);
  out.append(t.substr(0, sign));
  for (std::size_t i = 0; i < integer_digits; ++i) {
    if (i > 0 && (integer_digits - i) % 3 == 0) out.push_back(',');
    out.push_back(body[i]);
  }
  out.append(body.substr(integer_digits));
  return out;
}

// Writes the text of x, rounded to the count n and padded when there is one, to out.
void write_number(double x, std::optional<std::int32_t> n, TextBuffer& out) {
  if (!std::isfinite(x)) {
    out.put(non_finite_text(std::isnan(x), x < 0));
    return;
  }

  const double value = n ? round_to_places(x, *n) : x;
  const std::int32_t decimals = n ? std::min(*n, kMaxDecimals) : 0;

  bool plain = true;
  if (value == 0.0) {
    out.put('0');
  } else {
    if (value < 0) out.put('-');
    const Decimal d = to_decimal(std::fabs(value));
    // Under a count a value below 10^-4 keeps the plain form and so its places, where the
    // exponent form would give "1e-005.00000".
    const bool small_exponent_form = d.exponent < -4 && decimals <= 0;
    plain = d.exponent < kSignificantDigits && !small_exponent_form;
    if (plain) {
      put_plain_form(d, out);
    } else {
      put_exponent_form(d, out);
    }
  }

  if (plain && decimals > 0) {
    const std::size_t have = places(out.view());
    if (out.view().find('.') == std::string_view::npos) out.put('.');
    out.put_zeros(static_cast<std::size_t>(decimals) -
                  std::min(have, static_cast<std::size_t>(decimals)));
  }
}

}  // namespace

text::Text format_number(double x, std::optional<std::int32_t> n, bool grouping) {
  TextBuffer out;
  write_number(x, n, out);
  return grouping ? grouped(out.view()) : text::Text(out.view());
}

void append_number(text::Text& to, double x, std::optional<std::int32_t> n) {
  if (x == 0 && !n) {
    to.push_back('0');  // the most common value of all, and -0 too
    return;
  }
  TextBuffer out;
  write_number(x, n, out);
  to.append(out.view());
}

}  // namespace tavrel::eval
