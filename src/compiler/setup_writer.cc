// WriteSetup: compresses entries on worker threads, writes them in order.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "compiler/package_builder.h"
#include "compiler/stored_entry.h"
#include "package/pak.h"
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
  if (!platform::FileExists(stub_path)) {
    error = "Cannot read the setup runtime - " + stub_path;
    return false;
  }
  TemporaryOutput temporary(output_path);
  if (!platform::CopyFile(stub_path, temporary.path(), false)) {
    error = "Cannot create " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  }
  TPak pak(temporary.path(), /*append=*/true, /*create_new=*/false);
  if (!pak.IsOpen()) {
    error = "Cannot open " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  }
  const auto write_failed = [&] {
    error = "Cannot write the setup " + temporary.path() + " (" + platform::LastErrorText() + ")";
    return false;
  };

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
      const PackageItem& item = items[i];
      const uint32_t index = pak.AddEntry(item.name, item.source_path, item.group);
      if (entry.copy_from_file) {
        if (!StoreLargeFile(pak, index, item, entry.fields.OrigSize, error)) return false;
      } else {
        TPakEntry& stored = pak.Entries[index];
        stored.CRC = entry.fields.CRC;
        stored.StoredSize = entry.fields.StoredSize;
        stored.OrigSize = entry.fields.OrigSize;
        if (!pak.StorePrepared(index, entry.stored)) return write_failed();
      }
      summary.content_bytes += entry.fields.OrigSize;
      summary.stored_bytes += pak.Entries[index].StoredLength();
      done_content += entry.fields.OrigSize;
      if (options.progress) options.progress(i + 1, items.size(), done_content, total_content);
    }
  }
  if (!pak.WriteDirectory()) return write_failed();
  const int64_t size = pak.File().Size();
  if (size < 0 || !pak.File().Sync()) return write_failed();
  pak.Close();
  summary.entries = items.size();
  summary.file_size = static_cast<uint64_t>(size);
  if (!platform::MakeExecutable(temporary.path()) ||
      !platform::RenameFile(temporary.path(), output_path)) {
    error = "Cannot create " + output_path + " (" + platform::LastErrorText() + ")";
    return false;
  }
  temporary.Keep();
  return true;
}

}  // namespace wizpak::compiler
