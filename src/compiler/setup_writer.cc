// WriteSetup: compresses entries on worker threads, writes them in order.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "compiler/package_builder.h"
#include "compiler/stored_entry.h"
#include "package/large_entry_checks.h"
#include "package/pak.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/stop_signals.h"

namespace wizpak::compiler {
namespace {

// Workers run ahead of the writer by at most this much content (and this
// many entries), which bounds the memory a build needs whatever the
// payload's size while one slow entry does not stall the other threads. The
// entry the writer waits for is always started.
constexpr uint64_t kAheadBytes = 96ull << 20;
constexpr std::size_t kAheadEntries = 256;

class CompressionPipeline {
 public:
  CompressionPipeline(const std::vector<PackageItem>& items, std::vector<uint64_t> sizes,
                      int threads)
      : items_(items), sizes_(std::move(sizes)), slots_(items.size()) {
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
    ahead_bytes_ -= sizes_[index];
    space_.notify_all();
    return entry;
  }

 private:
  bool MayStartNext() const {
    if (next_ == taken_) return true;
    return next_ - taken_ < kAheadEntries && ahead_bytes_ + sizes_[next_] <= kAheadBytes;
  }

  void Work() {
    for (;;) {
      std::size_t index = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        space_.wait(lock, [&] { return stopping_ || next_ >= items_.size() || MayStartNext(); });
        if (stopping_ || next_ >= items_.size()) return;
        index = next_++;
        ahead_bytes_ += sizes_[index];
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
  const std::vector<uint64_t> sizes_;  // content size of each item, as known up front
  std::vector<std::optional<StoredEntry>> slots_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable space_;
  std::size_t next_ = 0;      // next entry a worker takes up
  std::size_t taken_ = 0;     // entries the writer has taken
  uint64_t ahead_bytes_ = 0;  // content of the entries started but not taken
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

// The setup is written as "OUT.partial-<pid>" and renamed when whole. The
// partial file goes when the build fails or is stopped by SIGINT or
// SIGTERM; those of earlier builds that were killed (their process is gone)
// are removed first.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const std::string& output)
      : path_(output + ".partial-" + std::to_string(platform::ProcessId())) {
    RemoveStalePartials(output);
  }
  ~TemporaryOutput() {
    if (!kept_) platform::DeleteFile(path_);
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  static void RemoveStalePartials(const std::string& output) {
    const size_t cut = output.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? "." : output.substr(0, cut);
    const std::string stem =
        (cut == std::string::npos ? output : output.substr(cut + 1)) + ".partial-";
    const auto entries = platform::ListFolder(folder.empty() ? "/" : folder);
    if (!entries) return;
    for (const platform::FolderEntry& entry : *entries) {
      if (entry.is_folder || !entry.name.starts_with(stem)) continue;
      const std::string digits = entry.name.substr(stem.size());
      if (digits.empty() || digits.size() > 9 ||
          digits.find_first_not_of("0123456789") != std::string::npos)
        continue;
      if (platform::IsProcessRunning(std::stoi(digits))) continue;
      platform::DeleteFile(folder + (folder.back() == '/' || folder.back() == '\\' ? "" : "/") +
                           entry.name);
    }
  }

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
  // SIGINT and SIGTERM stop the build between entries; the partial file
  // is then removed like that of any failed build.
  const platform::StopSignalScope stop_signals;
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

  std::vector<uint64_t> sizes;
  uint64_t total_content = 0;
  for (const PackageItem& item : items) {
    // Large entries are copied in chunks by the writer, not held in memory.
    const uint64_t size = ContentSizeHint(item);
    sizes.push_back(size >= kLargeEntrySize ? 0 : size);
    total_content += size;
  }
  uint64_t done_content = 0;
  LargeEntryChecks large_checks;
  {
    const int threads = options.threads < 1 ? 1 : options.threads;
    CompressionPipeline pipeline(items, std::move(sizes), threads);
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (platform::StopRequested()) {
        error = "Stopped by a signal; the partial setup " + temporary.path() + " is removed";
        return false;
      }
      StoredEntry entry = pipeline.Take(i);
      if (!entry.error.empty()) {
        error = entry.error;
        return false;
      }
      const PackageItem& item = items[i];
      const uint32_t index = pak.AddEntry(item.name, item.source_path, item.group);
      if (entry.copy_from_file) {
        uint32_t crc = 0;
        if (!StoreLargeFile(pak, index, item, entry.fields.OrigSize, crc, error)) return false;
        large_checks[index] = crc;
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
  // Large entries carry CRC 0 in their records: their checksums go into one
  // more entry, so a setup of large files is still checked as it installs.
  if (!large_checks.empty()) {
    const std::string record = LargeEntryChecksBytes(large_checks);
    const uint32_t index = pak.AddEntry(kLargeEntryChecksName, "", 0);
    if (!pak.StoreFromMemory(index, record.data(), record.size())) return write_failed();
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
