// UnpackAhead: the read-ahead thread of TPak::ExtractGroup.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "package/pak.h"

namespace wizpak {

// Reads and inflates the small entries of a group on a second thread while
// the caller writes the ones before: entries come out in order, and the
// thread runs ahead by at most a byte budget so memory stays bounded.
class UnpackAhead {
 public:
  using Unpack = std::function<TPak::Unpacked(uint32_t index)>;

  UnpackAhead(std::vector<uint32_t> indexes, std::vector<uint64_t> sizes, Unpack unpack)
      : indexes_(std::move(indexes)), sizes_(std::move(sizes)), unpack_(std::move(unpack)) {
    if (indexes_.size() > 1) worker_ = std::thread([this] { Work(); });
  }
  ~UnpackAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    space_.notify_all();
    if (worker_.joinable()) worker_.join();
  }
  UnpackAhead(const UnpackAhead&) = delete;
  UnpackAhead& operator=(const UnpackAhead&) = delete;

  // The next entry's result, in the order of the indexes given.
  TPak::Unpacked Next() {
    if (!worker_.joinable()) return unpack_(indexes_[taken_++]);
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !done_.empty(); });
    TPak::Unpacked result = std::move(done_.front());
    done_.pop_front();
    ahead_bytes_ -= sizes_[taken_++];
    space_.notify_all();
    return result;
  }

 private:
  static constexpr uint64_t kAheadBytes = 64ull << 20;

  void Work() {
    for (size_t next = 0; next < indexes_.size(); ++next) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        // The entry the writer waits for is always started.
        space_.wait(lock, [&] {
          return stopping_ || next == taken_ || ahead_bytes_ + sizes_[next] <= kAheadBytes;
        });
        if (stopping_) return;
        ahead_bytes_ += sizes_[next];
      }
      TPak::Unpacked result = unpack_(indexes_[next]);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(result));
      }
      ready_.notify_all();
    }
  }

  const std::vector<uint32_t> indexes_;
  const std::vector<uint64_t> sizes_;  // stored plus content bytes, the memory each one holds
  const Unpack unpack_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable space_;
  std::deque<TPak::Unpacked> done_;
  size_t taken_ = 0;
  uint64_t ahead_bytes_ = 0;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace wizpak
