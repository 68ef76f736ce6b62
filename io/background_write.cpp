#include "io/background_write.h"

namespace tamro {

BackgroundWrite::BackgroundWrite(platform::OutputFile& file)
    : file_(file), thread_([this] { Run(); }) {}

BackgroundWrite::~BackgroundWrite() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitIdle(lock);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BackgroundWrite::Start(std::string_view bytes) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitIdle(lock);
    if (failed_) return false;
    pending_ = bytes;
    busy_ = true;
  }
  changed_.notify_all();
  return true;
}

bool BackgroundWrite::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  WaitIdle(lock);
  return !failed_;
}

void BackgroundWrite::WaitIdle(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !busy_; });
}

void BackgroundWrite::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return busy_ || stop_; });
    if (!busy_) return;  // stopped with nothing in hand
    const std::string_view bytes = pending_;
    lock.unlock();
    const bool written = file_.Write(bytes);
    lock.lock();
    failed_ = failed_ || !written;
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace tamro
