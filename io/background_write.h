// Writes an output file on a thread of its own, one chunk at a time, so that the
// next chunk is rendered while the last one goes to the file.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/platform.h"

namespace tamro {

class BackgroundWrite {
 public:
  // Starts the thread; std::system_error when there is none to be had.
  explicit BackgroundWrite(platform::OutputFile& file);
  BackgroundWrite(const BackgroundWrite&) = delete;
  BackgroundWrite& operator=(const BackgroundWrite&) = delete;
  // Waits for the chunk in hand, then ends the thread.
  ~BackgroundWrite();

  // Waits until the chunk before is written, then hands `bytes` to the thread,
  // unless a write has failed. `bytes` must stay valid until the next Start or
  // Wait returns. False once any write has failed.
  bool Start(std::string_view bytes);

  // Returns once every chunk handed over is written; false when any write failed.
  bool Wait();

 private:
  void Run();
  void WaitIdle(std::unique_lock<std::mutex>& lock);

  platform::OutputFile& file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string_view pending_;
  bool busy_ = false;  // pending_ is handed over and not yet written
  bool stop_ = false;
  bool failed_ = false;
  std::thread thread_;  // last: it starts once every field above is set
};

}  // namespace tamro
