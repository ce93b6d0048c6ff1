// SPDX-License-Identifier: MIT
// The filter's result lines, computed on worker threads in batches and handed over in the order
// of the input. A line's result depends on nothing but the line, and after an LF the input's
// conversion and line split start afresh, so a batch of input bytes that begins after an LF and
// ends with one can be converted, split and computed beside the others.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "app/cli_options.h"
#include "app/gbk_input.h"
#include "app/result_line.h"
#include "text/text.h"

namespace tavrel::app {

// Returns the number of worker threads that suit this machine: one a core, and none on a
// machine of one core.
std::size_t default_worker_count();

class ResultPool {
 public:
  // Receives the result lines, each ended by LF, in blocks of whole lines.
  using Sink = std::function<void(std::string_view)>;

  // The input bytes of a batch before it goes to a worker.
  static constexpr std::size_t kBatchBytes = std::size_t{1} << 15;

  // Makes a pool of `workers` threads that convert UTF-8 through table (shared with the
  // caller's own conversions); with none, every batch is computed on the caller's thread as it
  // fills. batch_bytes is the input size that closes a batch.
  ResultPool(DecimalCount count, GbkTable& table, std::size_t workers, Sink sink,
             std::size_t batch_bytes = kBatchBytes);
  ResultPool(const ResultPool&) = delete;
  ResultPool& operator=(const ResultPool&) = delete;
  // Stops the workers; results not yet handed over are dropped.
  ~ResultPool();

  // Takes one line of GBK text.
  void add_line(std::string_view line);

  // Takes input bytes in encoding (UTF-8 or GBK, not yet made well-formed) that begin where a
  // line begins with nothing pending in its conversion, the start of the input aside, and end
  // with an LF: the lines they hold, as the filter's own conversion and split would give them.
  void add_lines(Encoding encoding, std::string_view bytes);

  // Hands over the result of every line taken so far, in their order.
  void finish();

 private:
  struct Batch;
  class Worker;

  void submit();
  void hand_over(bool everything);
  std::unique_ptr<Batch> take_front(bool everything);
  // Returns the number of batches done at the front of the input order (under the mutex).
  std::size_t ready_batches() const;
  void work();
  std::unique_ptr<Batch> spare_batch();

  const DecimalCount m_count;
  GbkTable& m_table;
  const Sink m_sink;
  const std::size_t m_batch_bytes;
  const std::size_t m_limit;                      // batches between the caller and the sink
  std::unique_ptr<Worker> m_caller;               // the caller's, for a pool without workers
  std::unique_ptr<Batch> m_open;                  // filling on the caller's thread
  std::vector<std::unique_ptr<Batch>> m_spare;    // handed over, kept for their buffers
  std::deque<std::unique_ptr<Batch>> m_in_order;  // submitted, not yet handed over
  std::deque<Batch*> m_waiting;                   // submitted, taken by no worker yet
  std::size_t m_awaited = 0;  // the ready batches that the caller waits for, or 0
  bool m_stopping = false;
  std::mutex m_mutex;
  std::condition_variable m_work;
  std::condition_variable m_done;
  std::vector<std::thread> m_threads;
};

}  // namespace tavrel::app
