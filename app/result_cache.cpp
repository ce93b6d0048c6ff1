// SPDX-License-Identifier: MIT
#include "app/result_cache.h"

#include <cstdint>
#include <utility>

namespace tavrel::app {
namespace {

// What an entry costs besides its bytes: the node, the hash slot and two string headers.
constexpr std::size_t kEntryOverhead = 96;

std::size_t entry_bytes(const std::string& key, const text::Text& result) {
  return key.size() + result.size() + kEntryOverhead;
}

}  // namespace

ResultCache::ResultCache(std::size_t budget_bytes) : m_budget(budget_bytes) {}

const text::Text& ResultCache::result_line(std::string_view line, DecimalCount count,
                                           eval::ScriptComponent& script) {
  // The key: a flag byte and the count's four bytes, then the line.
  const std::int32_t n = count.value_or(0);
  m_key.assign(1, count ? '1' : '0');
  m_key.append(reinterpret_cast<const char*>(&n), sizeof n);
  m_key.append(line);
  if (auto hit = m_newer.find(m_key); hit != m_newer.end()) return hit->second;
  if (auto old = m_older.find(m_key); old != m_older.end()) {
    text::Text result = std::move(old->second);
    m_older_bytes -= entry_bytes(old->first, result);
    m_older.erase(old);
    return keep(m_key, std::move(result));
  }
  ++m_computed;
  return keep(m_key, app::result_line(line, count, script));
}

void ResultCache::clear() {
  m_newer.clear();
  m_older.clear();
  m_newer_bytes = m_older_bytes = 0;
}

const text::Text& ResultCache::keep(std::string key, text::Text result) {
  const std::size_t bytes = entry_bytes(key, result);
  if (bytes > m_budget / 4) {
    // A giant line would push everything else out; it is answered but not kept.
    m_uncached = std::move(result);
    return m_uncached;
  }
  if (m_newer_bytes + bytes > m_budget / 2) age();
  m_newer_bytes += bytes;
  return m_newer.emplace(std::move(key), std::move(result)).first->second;
}

void ResultCache::age() {
  m_older = std::move(m_newer);
  m_older_bytes = m_newer_bytes;
  m_newer = Generation();
  m_newer_bytes = 0;
}

}  // namespace tavrel::app
