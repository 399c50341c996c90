#include "tools/output_folder.h"

#include "platform/files.h"

namespace wizpak::tools {

std::string HostRelativePath(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

bool MakeParentFolders(const std::string& root, const std::string& relative) {
  std::string folder = root;
  size_t start = 0;
  for (size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', start)) {
    folder += "/" + relative.substr(start, slash - start);
    if (!platform::DirectoryExists(folder) && !platform::CreateDirectory(folder)) return false;
    start = slash + 1;
  }
  return true;
}

}  // namespace wizpak::tools
