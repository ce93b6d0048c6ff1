// SPDX-License-Identifier: MIT
#include "text/text.h"

#include <algorithm>
#include <cstring>

namespace tavrel::text {
namespace {

std::size_t clamp_count(std::int32_t n, std::size_t size) {
  return n <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), size);
}

bool bytes_equal_at(std::string_view t, std::size_t i, std::string_view s) {
  return t.size() - i >= s.size() && std::memcmp(t.data() + i, s.data(), s.size()) == 0;
}

// Scans t by the character step and calls on_match(i) for every 0-based scan position i at which
// s stands; stops early when on_match returns false.
template <typename OnMatch>
void scan_occurrences(std::string_view t, std::string_view s, OnMatch on_match) {
  for (std::size_t i = 0; i < t.size() && t.size() - i >= s.size(); i += char_size(t, i)) {
    if (bytes_equal_at(t, i, s) && !on_match(i)) return;
  }
}

}  // namespace

std::size_t whole_characters(std::string_view t, std::size_t limit) {
  std::size_t end = 0;
  while (end < t.size()) {
    const std::size_t step = char_size(t, end);
    if (end + step > limit) break;
    end += step;
  }
  return end;
}

std::int32_t length(std::string_view t) {
  return static_cast<std::int32_t>(t.size());
}

Text left(std::string_view t, std::int32_t n) {
  return Text(t.substr(0, clamp_count(n, t.size())));
}

Text right(std::string_view t, std::int32_t n) {
  return Text(t.substr(t.size() - clamp_count(n, t.size())));
}

Text middle(std::string_view t, std::int32_t p, std::int32_t n) {
  if (p < 1 || static_cast<std::size_t>(p) > t.size() || n <= 0) return Text();
  return Text(t.substr(static_cast<std::size_t>(p) - 1, static_cast<std::size_t>(n)));
}

std::int32_t find(std::string_view t, std::string_view s) {
  if (s.empty()) return t.empty() ? -1 : 1;
  std::int32_t found = -1;
  scan_occurrences(t, s, [&](std::size_t i) {
    found = static_cast<std::int32_t>(i + 1);
    return false;
  });
  return found;
}

std::int32_t find_last(std::string_view t, std::string_view s) {
  if (s.empty()) return t.empty() ? -1 : 1;
  std::int32_t found = -1;
  scan_occurrences(t, s, [&](std::size_t i) {
    found = static_cast<std::int32_t>(i + 1);
    return true;
  });
  return found;
}

Text replace_at(std::string_view t, std::int32_t p, std::int32_t n) {
  return replace_at(t, p, n, std::string_view());
}

Text replace_at(std::string_view t, std::int32_t p, std::int32_t n, std::string_view r) {
  const std::int64_t size = static_cast<std::int64_t>(t.size());
  const std::size_t q = static_cast<std::size_t>(std::clamp<std::int64_t>(p, 1, size + 1) - 1);
  const std::size_t k = clamp_count(n, t.size() - q);
  Text out;
  out.reserve(t.size() - k + r.size());
  out.append(t.substr(0, q)).append(r).append(t.substr(q + k));
  return out;
}

Text replace_all(std::string_view t, std::string_view s, std::string_view r) {
  if (t.empty() || s.empty()) return Text(t);
  Text out;
  out.reserve(t.size());
  std::size_t i = 0;
  while (i < t.size() && t.size() - i >= s.size()) {
    if (bytes_equal_at(t, i, s)) {
      out.append(r);
      i += s.size();
    } else if (is_lone_lead(t, i)) {
      return out;
    } else {
      const std::size_t step = char_size(t, i);
      out.append(t.substr(i, step));
      i += step;
    }
  }
  out.append(t.substr(std::min(i, t.size())));
  return out;
}

Text concat(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  Text out;
  out.reserve(total);
  for (std::string_view part : parts) out.append(part);
  return out;
}

int compare(std::string_view a, std::string_view b) {
  const int c = a.compare(b);  // char_traits<char>::compare orders bytes as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

TextList split_lines(std::string_view t, std::string_view separator) {
  TextList lines;
  if (t.empty() || separator.empty()) {
    if (!t.empty()) lines.emplace_back(t);
    return lines;
  }
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < t.size() && t.size() - i >= separator.size()) {
    if (bytes_equal_at(t, i, separator)) {
      lines.emplace_back(t.substr(start, i - start));
      i += separator.size();
      start = i;
    } else {
      i += char_size(t, i);
    }
  }
  if (start < t.size()) lines.emplace_back(t.substr(start));
  return lines;
}

}  // namespace tavrel::text
