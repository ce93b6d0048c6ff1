// SPDX-License-Identifier: MIT
#include "app/result_pool.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/line_stream.h"
#include "eval/script_component.h"

namespace tavrel::app {

namespace {

// Batches per worker between the caller and the sink: enough that no worker waits while the
// caller reads the next input, few enough to keep the memory small.
constexpr std::size_t kBatchesPerWorker = 4;

// More threads than this gain nothing: the caller reads and hands out the input for all.
constexpr std::size_t kMostWorkers = 8;

}  // namespace

std::size_t default_worker_count() {
  const std::size_t cores = std::thread::hardware_concurrency();
  return cores < 2 ? 0 : std::min(cores, kMostWorkers);
}

struct ResultPool::Batch {
  Encoding encoding = Encoding::utf8;  // of raw
  text::Text raw;                      // input bytes that end with an LF, not yet converted
  text::Text lines;                    // or lines of GBK text, one after another
  std::vector<std::size_t> ends;       // where each of them ends
  text::Text results;
  std::exception_ptr failure;  // what stopped the computation, if anything did
  bool done = false;           // under the pool's mutex once submitted

  bool empty() const { return raw.empty() && ends.empty(); }
  void clear() {
    raw.clear();
    lines.clear();
    ends.clear();
    results.clear();
    failure = nullptr;
    done = false;
  }
};

// What one thread needs to compute batches: its own script component.
class ResultPool::Worker {
 public:
  Worker(DecimalCount count, GbkTable& table) : m_count(count), m_table(table) {}

  // Computes the batch's results; a failure is kept in the batch for the caller's thread.
  void compute(Batch& batch) {
    try {
      if (!batch.raw.empty()) {
        compute_raw(batch);
      } else {
        std::size_t begin = 0;
        for (const std::size_t end : batch.ends) {
          append(batch.results, std::string_view(batch.lines).substr(begin, end - begin));
          begin = end;
        }
      }
    } catch (...) {
      batch.failure = std::current_exception();
    }
  }

 private:
  void compute_raw(Batch& batch) {
    // Both conversions give well-formed GBK: every CR and LF in it is a character of its own.
    const text::Text gbk = batch.encoding == Encoding::gbk ? GbkCleanStream().convert(batch.raw)
                                                           : utf8_to_gbk(batch.raw, m_table);
    for_each_line_of_well_formed(gbk, [&](std::string_view line) { append(batch.results, line); });
  }

  void append(text::Text& results, std::string_view line) {
    append_result_line(results, line, m_count, m_script);
    results.pop_back();  // the CR LF that ends every result line becomes LF
    results.back() = '\n';
  }

  const DecimalCount m_count;
  GbkTable& m_table;
  eval::ScriptComponent m_script;
};

ResultPool::ResultPool(DecimalCount count, GbkTable& table, std::size_t workers, Sink sink,
                       std::size_t batch_bytes)
    : m_count(count),
      m_table(table),
      m_sink(std::move(sink)),
      m_batch_bytes(std::max<std::size_t>(batch_bytes, 1)),
      m_limit(kBatchesPerWorker * workers),
      m_open(std::make_unique<Batch>()) {
  if (workers == 0) m_caller = std::make_unique<Worker>(m_count, m_table);
  m_threads.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) m_threads.emplace_back([this] { work(); });
}

ResultPool::~ResultPool() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_work.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

void ResultPool::add_line(std::string_view line) {
  if (!m_open->raw.empty()) submit();  // the batches keep the order of the input
  m_open->lines.append(line);
  m_open->ends.push_back(m_open->lines.size());
  if (m_open->lines.size() >= m_batch_bytes) submit();
}

void ResultPool::add_lines(Encoding encoding, std::string_view bytes) {
  if (!m_open->ends.empty() || (!m_open->raw.empty() && m_open->encoding != encoding)) submit();
  m_open->encoding = encoding;
  m_open->raw.append(bytes);
  if (m_open->raw.size() >= m_batch_bytes) submit();
}

void ResultPool::finish() {
  submit();
  hand_over(true);
}

void ResultPool::submit() {
  if (m_open->empty()) return;
  if (m_caller) {
    m_caller->compute(*m_open);
    if (m_open->failure) std::rethrow_exception(std::exchange(m_open->failure, nullptr));
    m_sink(m_open->results);
    m_open->clear();
    return;
  }
  {
    const std::lock_guard lock(m_mutex);
    m_waiting.push_back(m_open.get());
    m_in_order.push_back(std::move(m_open));
  }
  m_work.notify_one();
  m_open = spare_batch();
  hand_over(false);
}

void ResultPool::hand_over(bool everything) {
  while (std::unique_ptr<Batch> batch = take_front(everything)) {
    if (batch->failure) std::rethrow_exception(batch->failure);
    m_sink(batch->results);
    batch->clear();
    m_spare.push_back(std::move(batch));
  }
}

// Returns the first batch in the input order once it is done, or nothing when there is none to
// hand over: none submitted, or the first not done while the pool has room and not everything
// is wanted. With everything wanted it waits for the first to be done; with no room, for half
// the pool to be ready, so that the caller wakes once for several batches.
std::unique_ptr<ResultPool::Batch> ResultPool::take_front(bool everything) {
  std::unique_lock lock(m_mutex);
  if (m_in_order.empty()) return nullptr;
  if (!m_in_order.front()->done) {
    if (!everything && m_in_order.size() < m_limit) return nullptr;
    m_awaited = everything ? 1 : m_limit / 2;
    m_done.wait(lock, [this] { return ready_batches() >= m_awaited; });
    m_awaited = 0;
  }
  std::unique_ptr<Batch> front = std::move(m_in_order.front());
  m_in_order.pop_front();
  return front;
}

void ResultPool::work() {
  Worker worker(m_count, m_table);
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock lock(m_mutex);
      m_work.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
      if (m_stopping) return;  // what is left goes unread
      batch = m_waiting.front();
      m_waiting.pop_front();
    }
    worker.compute(*batch);
    bool awaited = false;
    {
      const std::lock_guard lock(m_mutex);
      batch->done = true;
      awaited = m_awaited != 0 && ready_batches() >= m_awaited;
    }
    if (awaited) m_done.notify_one();
  }
}

std::size_t ResultPool::ready_batches() const {
  std::size_t ready = 0;
  while (ready < m_in_order.size() && m_in_order[ready]->done) ++ready;
  return ready;
}

std::unique_ptr<ResultPool::Batch> ResultPool::spare_batch() {
  if (m_spare.empty()) return std::make_unique<Batch>();
  std::unique_ptr<Batch> batch = std::move(m_spare.back());
  m_spare.pop_back();
  return batch;
}

}  // namespace tavrel::app
