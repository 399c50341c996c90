// WriteSetup: compresses entries on worker threads, writes them in order.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "compiler/package_builder.h"
#include "compiler/path_join.h"
#include "compiler/stored_entry.h"
#include "platform/files.h"
#include "platform/process.h"

namespace wizpak::compiler {
namespace {

// At most this many prepared entries wait for the writer, which bounds the
// memory a build needs to a few entries whatever the payload's size.
constexpr std::size_t kWindowPerThread = 2;

class CompressionPipeline {
 public:
  CompressionPipeline(const std::vector<PackageItem>& items, int threads)
      : items_(items), slots_(items.size()), window_(kWindowPerThread * threads + 1) {
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
  }
  ~CompressionPipeline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    space_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }
  CompressionPipeline(const CompressionPipeline&) = delete;
  CompressionPipeline& operator=(const CompressionPipeline&) = delete;

  // The prepared entry `index`, waiting for it; entries are taken in order.
  StoredEntry Take(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return slots_[index].has_value(); });
    StoredEntry entry = std::move(*slots_[index]);
    slots_[index].reset();
    taken_ = index + 1;
    space_.notify_all();
    return entry;
  }

 private:
  void Work() {
    for (;;) {
      std::size_t index = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        space_.wait(
            lock, [&] { return stopping_ || next_ >= items_.size() || next_ < taken_ + window_; });
        if (stopping_ || next_ >= items_.size()) return;
        index = next_++;
      }
      StoredEntry entry = PrepareItem(items_[index]);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        slots_[index] = std::move(entry);
      }
      ready_.notify_all();
    }
  }

  const std::vector<PackageItem>& items_;
  std::vector<std::optional<StoredEntry>> slots_;
  const std::size_t window_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable space_;
  std::size_t next_ = 0;   // next entry a worker takes up
  std::size_t taken_ = 0;  // entries the writer has taken
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

class TemporaryOutput {
 public:
  explicit TemporaryOutput(const std::string& output)
      : path_(output + ".partial-" + std::to_string(platform::ProcessId())) {}
  ~TemporaryOutput() {
    if (!kept_) platform::DeleteFile(path_);
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

}  // namespace

bool WriteSetup(const std::string& stub_path, const std::vector<PackageItem>& items,
                const std::string& output_path, const WriteOptions& options, BuildSummary& summary,
                std::string& error) {
  summary = {};
  const auto stub = platform::ReadFileBytes(stub_path);
  if (!stub) {
    error = "Cannot read the setup runtime - " + stub_path + " (" + platform::LastErrorText() + ")";
    return false;
  }
  TemporaryOutput temporary(output_path);
  platform::File out = platform::File::Open(temporary.path(), platform::OpenMode::Create);
  if (!out) {
    error = "Cannot create " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  }
  PackageStreamWriter writer(out, stub->size());
  if (!out.Write(*stub)) {
    error = "Cannot write " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  }

  uint64_t total_content = 0;
  for (const PackageItem& item : items) total_content += ContentSizeHint(item);
  uint64_t done_content = 0;
  {
    const int threads = options.threads < 1 ? 1 : options.threads;
    CompressionPipeline pipeline(items, threads);
    for (std::size_t i = 0; i < items.size(); ++i) {
      StoredEntry entry = pipeline.Take(i);
      if (!entry.error.empty()) {
        error = entry.error;
        return false;
      }
      if (!writer.Append(items[i], entry, error)) return false;
      summary.content_bytes += entry.orig_size;
      summary.stored_bytes += entry.StoredLength();
      done_content += entry.orig_size;
      if (options.progress) options.progress(i + 1, items.size(), done_content, total_content);
    }
  }
  if (!writer.Finish(error)) return false;
  summary.entries = items.size();
  summary.file_size = static_cast<uint64_t>(out.Position());
  if (!out.Sync()) {
    error = "Cannot write " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  }
  out.Close();
  if (!platform::MakeExecutable(temporary.path()) ||
      !platform::RenameFile(temporary.path(), output_path)) {
    error = "Cannot create " + output_path + " (" + platform::LastErrorText() + ")";
    return false;
  }
  temporary.Keep();
  return true;
}

}  // namespace wizpak::compiler
