#include "gui/win32/folder_tree.h"

#include "gui/folder_order.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace wizpak::gui::win32 {
namespace {

std::string WithTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

}  // namespace

NativeFolderTree::NativeFolderTree(PageSurface* surface, HWND parent)
    : Control(WidgetKind::FolderTree, surface) {
  Adopt(CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_HASBUTTONS |
                            TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                        0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                        ModuleHandle(), nullptr));
  AddDrives();
}

void NativeFolderTree::AddDrives() {
  const std::string roots = platform::LogicalDriveStrings();
  size_t start = 0;
  while (start < roots.size()) {
    const size_t end = roots.find('\0', start);
    const std::string root = roots.substr(start, end == std::string::npos ? end : end - start);
    if (root.empty()) break;
    // "C:" as the caption; the node's path keeps the root's backslash.
    AddNode(TVI_ROOT, AnsiToWide(root.substr(0, 2)), WithTrailingBackslash(root));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

HTREEITEM NativeFolderTree::AddNode(HTREEITEM parent, const std::u16string& caption,
                                    std::string path) {
  nodes_.push_back(Node{std::move(path), false});
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  std::u16string text = caption;
  insert.item.pszText = const_cast<wchar_t*>(Wide(text));
  // Every folder may have subfolders until it is opened and read.
  insert.item.cChildren = 1;
  insert.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

namespace {

LPARAM ParamOf(HWND tree, HTREEITEM item) {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return -1;
  return data.lParam;
}

}  // namespace

std::string NativeFolderTree::PathOf(HTREEITEM item) const {
  if (!item) return "";
  const LPARAM index = ParamOf(Handle(), item);
  if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return "";
  return nodes_[static_cast<size_t>(index)].path;
}

bool NativeFolderTree::Populated(HTREEITEM item) const {
  const LPARAM index = ParamOf(Handle(), item);
  return index >= 0 && static_cast<size_t>(index) < nodes_.size() &&
         nodes_[static_cast<size_t>(index)].populated;
}

void NativeFolderTree::Populate(HTREEITEM item) {
  const LPARAM index = ParamOf(Handle(), item);
  if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return;
  if (nodes_[static_cast<size_t>(index)].populated) return;
  nodes_[static_cast<size_t>(index)].populated = true;
  const std::string path = nodes_[static_cast<size_t>(index)].path;
  int added = 0;
  if (auto entries = platform::ListFolder(path)) {
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : *entries) {
      if (entry.is_folder) names.push_back(entry.name);
    }
    SortNaturally(names);
    for (const std::string& name : names) {
      AddNode(item, AnsiToWide(name), path + name + "\\");
      ++added;
    }
  }
  if (added == 0) {
    // No subfolders after all: drop the expand button.
    TVITEMW data{};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    data.cChildren = 0;
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  }
}

HTREEITEM NativeFolderTree::FindChild(HTREEITEM parent, std::string_view path) const {
  HTREEITEM child = reinterpret_cast<HTREEITEM>(
      SendMessageW(Handle(), TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD,
                   parent == TVI_ROOT ? 0 : reinterpret_cast<LPARAM>(parent)));
  while (child) {
    if (EqualsIgnoreCaseAnsi(PathOf(child), path)) return child;
    child = reinterpret_cast<HTREEITEM>(
        SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
  }
  return nullptr;
}

bool NativeFolderTree::SelectFolder(std::string_view folder, bool expand) {
  const std::string wanted = WithTrailingBackslash(folder);
  if (wanted.size() < 3 || wanted[1] != ':') return false;
  // Walk from the drive down, one "\"-ended prefix at a time.
  HTREEITEM node = TVI_ROOT;
  for (size_t i = 2; i < wanted.size(); ++i) {
    if (wanted[i] != '\\') continue;
    if (node != TVI_ROOT) Populate(node);
    HTREEITEM next = FindChild(node, std::string_view(wanted).substr(0, i + 1));
    if (!next) return false;
    node = next;
    if (expand) {
      Populate(node);
      SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
    }
  }
  if (node == TVI_ROOT) return false;
  if (EqualsIgnoreCaseAnsi(wanted, selected_)) return true;
  // The selection notification stores the path and runs the callback.
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
  SendMessageW(Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
  return true;
}

void NativeFolderTree::Clear() {
  selected_.clear();
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, 0);
  HTREEITEM root =
      reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
  while (root) {
    SendMessageW(Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
    root = reinterpret_cast<HTREEITEM>(
        SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(root)));
  }
}

LRESULT NativeFolderTree::OnNotify(const NMHDR& header) {
  const auto& tree = reinterpret_cast<const NMTREEVIEWW&>(header);
  if (header.code == TVN_ITEMEXPANDINGW) {
    if (tree.action & TVE_EXPAND) Populate(tree.itemNew.hItem);
    return FALSE;  // let it open
  }
  if (header.code == TVN_SELCHANGEDW) {
    const std::string path = PathOf(tree.itemNew.hItem);
    if (path.empty() || EqualsIgnoreCaseAnsi(path, selected_)) return 0;
    selected_ = path;
    if (on_change_) {
      auto handler = on_change_;
      handler();
    }
  }
  return 0;
}

}  // namespace wizpak::gui::win32
