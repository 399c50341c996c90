// Moving and destroying the platform's handle classes: the same on every
// host (closing is each platform's own Close and Discard).
#include <utility>

#include "platform/files.h"
#include "platform/safe_files.h"

namespace wizpak::platform {

File::~File() {
  Close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), host_path_(std::move(other.host_path_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    host_path_ = std::move(other.host_path_);
  }
  return *this;
}

ReplacingFile::~ReplacingFile() {
  Discard();
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      folder_fd_(std::exchange(other.folder_fd_, -1)),
      folder_path_(std::move(other.folder_path_)),
      host_path_(std::move(other.host_path_)),
      name_(std::move(other.name_)),
      temp_name_(std::move(other.temp_name_)) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
  if (this != &other) {
    Discard();
    fd_ = std::exchange(other.fd_, -1);
    folder_fd_ = std::exchange(other.folder_fd_, -1);
    folder_path_ = std::move(other.folder_path_);
    host_path_ = std::move(other.host_path_);
    name_ = std::move(other.name_);
    temp_name_ = std::move(other.temp_name_);
  }
  return *this;
}

}  // namespace wizpak::platform
