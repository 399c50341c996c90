// The folder tree: a SysTreeView32 with one root per logical drive (from the
// platform layer) whose folders are read when a node is first opened. Nodes
// carry their program path; the selection is reported with a trailing "\".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/win32/controls.h"

#include <commctrl.h>

namespace wizpak::gui::win32 {

class NativeFolderTree : public Control<FolderTree> {
 public:
  NativeFolderTree(PageSurface* surface, HWND parent);
  bool SelectFolder(std::string_view folder, bool expand) override;
  void Clear() override;
  LRESULT OnNotify(const NMHDR& header) override;

  // The program path of a node ("C:\Games\"), "" for none.
  std::string PathOf(HTREEITEM item) const;
  // Whether the node's folders have been read.
  bool Populated(HTREEITEM item) const;

 protected:
  void ApplyText() override {}

 private:
  void AddDrives();
  HTREEITEM AddNode(HTREEITEM parent, const std::u16string& caption, std::string path);
  // Reads the folders below `item` once.
  void Populate(HTREEITEM item);
  HTREEITEM FindChild(HTREEITEM parent, std::string_view path) const;

  struct Node {
    std::string path;
    bool populated = false;
  };
  std::vector<Node> nodes_;  // indexed by the items' lParam
};

}  // namespace wizpak::gui::win32
