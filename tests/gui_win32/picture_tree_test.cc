// Pictures decoded from memory and the folder tree over real folders.
#include <gtest/gtest.h>

#include <string>

#include "gui/win32/controls.h"
#include "gui/win32/folder_tree.h"
#include "gui/win32/main_form.h"
#include "gui/win32/picture.h"
#include "gui/win32/toolkit.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/codepage.h"

namespace wizpak::gui::win32 {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 24-bit Windows bitmap of `width` x `height` in one colour.
std::string MakeBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  const int row = (width * 3 + 3) / 4 * 4;
  const uint32_t pixels = static_cast<uint32_t>(row * height);
  std::string out = "BM";
  PutLe(out, 54 + pixels, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(height), 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);
  PutLe(out, pixels, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = 0; y < height; ++y) {
    std::string line;
    for (int x = 0; x < width; ++x)
      line += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
    line.resize(static_cast<size_t>(row), '\0');
    out += line;
  }
  return out;
}

// A 32-bit icon of `size` x `size`: directory, one entry, and the image as a
// DIB with doubled height (colour rows, then the AND mask).
std::string MakeIco(int size) {
  std::string image;
  PutLe(image, 40, 4);
  PutLe(image, static_cast<uint32_t>(size), 4);
  PutLe(image, static_cast<uint32_t>(size * 2), 4);
  PutLe(image, 1, 2);
  PutLe(image, 32, 2);
  for (int i = 0; i < 6; ++i) PutLe(image, 0, 4);
  for (int i = 0; i < size * size; ++i) PutLe(image, 0xFF2080C0, 4);
  const int mask_row = (size + 31) / 32 * 4;
  image.append(static_cast<size_t>(mask_row * size), '\0');
  std::string out;
  PutLe(out, 0, 2);
  PutLe(out, 1, 2);
  PutLe(out, 1, 2);
  out += static_cast<char>(size);
  out += static_cast<char>(size);
  out += std::string(2, '\0');
  PutLe(out, 1, 2);
  PutLe(out, 32, 2);
  PutLe(out, static_cast<uint32_t>(image.size()), 4);
  PutLe(out, 22, 4);
  return out + image;
}

// An enhanced metafile drawn by GDI itself.
std::string MakeEmf() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Rectangle(dc, 0, 0, 40, 30);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(emf);
  return bytes;
}

// A Windows metafile with the placeable header that metafile files carry.
std::string MakeWmf() {
  HDC dc = CreateMetaFileW(nullptr);
  Rectangle(dc, 0, 0, 40, 30);
  HMETAFILE wmf = CloseMetaFile(dc);
  std::string body(GetMetaFileBitsEx(wmf, 0, nullptr), '\0');
  GetMetaFileBitsEx(wmf, static_cast<UINT>(body.size()), body.data());
  DeleteMetaFile(wmf);
  std::string header;
  PutLe(header, 0x9AC6CDD7u, 4);
  PutLe(header, 0, 2);
  for (int v : {0, 0, 40, 30}) PutLe(header, static_cast<uint32_t>(v), 2);
  PutLe(header, 96, 2);
  PutLe(header, 0, 4);
  uint16_t sum = 0;
  for (size_t i = 0; i < header.size(); i += 2) {
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(header[i]) |
                                 (static_cast<uint8_t>(header[i + 1]) << 8));
  }
  PutLe(header, sum, 2);
  return header + body;
}

TEST(Win32PictureFormatTest, IconsAndMetafilesDecodeFromMemory) {
  Win32Toolkit toolkit;
  auto icon = DecodedImage::Decode(MakeIco(16));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Width(), 16);
  EXPECT_NE(DecodedImage::Decode(MakeEmf()), nullptr);
  EXPECT_NE(DecodedImage::Decode(MakeWmf()), nullptr);
}

class Win32PageTest : public ::testing::Test {
 protected:
  Win32Toolkit toolkit_;
  Win32MainForm form_;
};

TEST_F(Win32PageTest, PictureDecodesBitmapsAndRefusesGarbage) {
  Picture& picture = form_.Pages().CreatePicture();
  EXPECT_TRUE(picture.SetPicture(MakeBmp(7, 3, 255, 0, 0), "bmp"));
  EXPECT_TRUE(picture.HasPicture());
  auto image = DecodedImage::Decode(MakeBmp(7, 3, 0, 0, 255));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 7);
  EXPECT_EQ(image->Height(), 3);
  EXPECT_FALSE(picture.SetPicture("not a picture", "jpg"));
  EXPECT_FALSE(picture.HasPicture());
  EXPECT_FALSE(picture.SetPicture(MakeBmp(7, 3, 0, 0, 0).substr(0, 30), "bmp"));
  EXPECT_FALSE(picture.SetPicture("", "bmp"));
}

// The colour the screen shows at (x, y) of `control`'s client area.
COLORREF ShownAt(const Widget& control, int x, int y) {
  HWND hwnd = dynamic_cast<const NativeControl&>(control).Handle();
  RedrawWindow(GetParent(hwnd), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(hwnd);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return colour;
}

TEST_F(Win32PageTest, TransparentLabelShowsThePictureBehindIt) {
  PageArea& pages = form_.Pages();
  Picture& picture = pages.CreatePicture();
  picture.SetBounds({0, 0, 120, 60});
  picture.SetStretch(true);
  ASSERT_TRUE(picture.SetPicture(MakeBmp(4, 4, 255, 0, 0), "bmp"));
  Label& clear = pages.CreateLabel();
  clear.SetAutoSize(false);
  clear.SetBounds({10, 10, 80, 16});
  clear.SetTransparent(true);
  clear.SetText(u"i");
  Label& solid = pages.CreateLabel();
  solid.SetAutoSize(false);
  solid.SetBounds({10, 30, 80, 16});
  solid.SetText(u"i");
  form_.Show();
  EXPECT_EQ(ShownAt(clear, 70, 8), RGB(255, 0, 0));
  EXPECT_EQ(ShownAt(solid, 70, 8), RGB(255, 255, 255));  // the page colour
}

TEST(Win32PicturePlacementTest, OwnSizeCentredOrStretched) {
  RECT r = PicturePlacement(100, 50, 20, 10, false, false);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 20);
  r = PicturePlacement(100, 50, 20, 10, false, true);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.bottom, 30);
  r = PicturePlacement(100, 50, 20, 10, true, true);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 50);
}

TEST_F(Win32PageTest, TreeSelectsExistingFoldersWithTrailingBackslash) {
  const std::string base = platform::TempFolder() + "wizpak_tree_test";
  platform::CreateDirectory(base);
  platform::CreateDirectory(base + "\\Games");
  platform::CreateDirectory(base + "\\Games\\Deep");
  auto& tree = dynamic_cast<NativeFolderTree&>(form_.Pages().CreateFolderTree());
  int changes = 0;
  tree.SetOnChange([&] { ++changes; });

  ASSERT_TRUE(tree.SelectFolder(base + "\\Games\\Deep", true));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(tree.SelectedFolder(), base + "\\Games\\Deep\\"));
  // The same folder again, in other letter case, is no change.
  std::string upper = base + "\\GAMES\\deep\\";
  EXPECT_TRUE(tree.SelectFolder(upper, false));
  EXPECT_EQ(changes, 1);
  // The nodes on the way were read and opened.
  HTREEITEM selected = TreeView_GetSelection(tree.Handle());
  HTREEITEM parent = TreeView_GetParent(tree.Handle(), selected);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(tree.PathOf(parent), base + "\\Games\\"));
  EXPECT_TRUE(TreeView_GetItemState(tree.Handle(), parent, TVIS_EXPANDED) & TVIS_EXPANDED);

  EXPECT_FALSE(tree.SelectFolder(base + "\\Missing", true));
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(tree.SelectedFolder(), base + "\\Games\\Deep\\"));
  EXPECT_FALSE(tree.SelectFolder("", true));

  tree.Clear();
  EXPECT_EQ(tree.SelectedFolder(), "");
  EXPECT_EQ(changes, 1);
  // Picking a node as the user would reports it.
  TreeView_SelectItem(tree.Handle(), parent);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(tree.SelectedFolder(), base + "\\Games\\"));

  platform::RemoveDirectory(base + "\\Games\\Deep");
  platform::RemoveDirectory(base + "\\Games");
  platform::RemoveDirectory(base);
}

}  // namespace
}  // namespace wizpak::gui::win32

namespace wizpak::gui::win32 {
namespace {

// Destroying the form destroys the tree view, which deletes its items and
// notifies its parent on the way: nothing of that may reach the callbacks.
TEST(Win32TeardownTest, DestroyedTreeRunsNoCallback) {
  Win32Toolkit toolkit;
  int changes = 0;
  {
    Win32MainForm form;
    FolderTree& tree = form.Pages().CreateFolderTree();
    ASSERT_TRUE(tree.SelectFolder(platform::TempFolder(), true));
    tree.SetOnChange([&] { ++changes; });
  }
  EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace wizpak::gui::win32
