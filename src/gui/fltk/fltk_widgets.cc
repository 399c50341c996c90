#include "gui/fltk/fltk_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>

#include "gui/fltk/fltk_canvas.h"
#include "gui/fltk/fltk_style.h"
#include "gui/folder_order.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

ColourRef AreaColour(const PageArea* area) {
  return area ? area->Colour() : 0x8000000F;
}

namespace {

constexpr ColourRef kGreyText = 0x6D6D6D;

void UseFont(const FontSpec& font) {
  fl_font(FontFor(font.face, font.bold), PixelSize(font.size_points));
}

}  // namespace

// ---- label

FltkLabel::FltkLabel(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.SetPaint([this](PaintedView& v) { Paint(v); });
  Attach(view_, group);
}

std::optional<Rect> FltkLabel::OwnSize() const {
  if (!AutoSize()) return std::nullopt;
  const std::string text = DisplayText(Text());
  UseFont(Font());
  Rect r = Bounds();
  int width = WordWrap() ? r.width : 0;
  int height = 0;
  fl_measure(text.c_str(), width, height, 0);
  if (text.empty()) height = fl_height();
  r.width = width;
  r.height = height;
  return r;
}

void FltkLabel::Paint(PaintedView& v) {
  fl_push_clip(v.x(), v.y(), v.w(), v.h());
  if (!Transparent()) {
    fl_color(ToFlColour(BackgroundBehind()));
    fl_rectf(v.x(), v.y(), v.w(), v.h());
  }
  const std::string text = DisplayText(Text());
  UseFont(Font());
  fl_color(ToFlColour(Enabled() ? Font().colour : kGreyText));
  Fl_Align align = FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE;
  if (WordWrap()) align |= FL_ALIGN_WRAP;
  fl_draw(text.c_str(), v.x(), v.y(), v.w(), v.h(), align, nullptr, 0);
  fl_pop_clip();
}

// ---- edit

FltkEdit::FltkEdit(FltkPageArea* area, Fl_Group& group) : FltkControl(area), view_(0, 0, 0, 0) {
  view_.when(FL_WHEN_CHANGED);
  view_.callback(TypedIn, this);
  Attach(view_, group);
}

void FltkEdit::Refresh() {
  const FontSpec& font = Font();
  view_.textfont(FontFor(font.face, font.bold));
  view_.textsize(PixelSize(font.size_points));
  view_.textcolor(ToFlColour(font.colour));
  const std::string utf8 = WideToUtf8(Text());
  if (utf8 != view_.value()) view_.value(utf8.c_str());
  FltkControl::Refresh();
}

// What the user typed is in the widget already: it is only stored.
void FltkEdit::TypedIn(Fl_Widget*, void* self) {
  auto& edit = *static_cast<FltkEdit*>(self);
  edit.Typed(Utf8ToWide(edit.view_.value()));
}

// ---- folder tree

namespace {

std::string DriveLabel(const platform::Drive& drive) {
  const std::string letter = std::string(1, drive.letter) + ":";
  switch (drive.type) {
    case platform::DriveType::CdRom:
      return "CD Drive (" + letter + ")";
    case platform::DriveType::Removable:
      return "Removable Disk (" + letter + ")";
    case platform::DriveType::Remote:
      return "Network Drive (" + letter + ")";
    default:
      return "Local Disk (" + letter + ")";
  }
}

// Folders the tree shows: host dot-folders are hidden ones.
std::vector<std::string> Subfolders(const std::string& path) {
  std::vector<std::string> names;
  const auto entries = platform::ListFolder(path);
  if (!entries) return names;
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.is_folder && !entry.name.empty() && entry.name[0] != '.') names.push_back(entry.name);
  }
  SortNaturally(names);
  return names;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

int FolderTreeView::handle(int event) {
  // Enter belongs to the wizard's default button, not to opening nodes.
  if (event == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
    return 0;
  }
  const int used = Fl_Tree::handle(event);
  if (event == FL_KEYBOARD && used) {
    Fl_Tree_Item* focus = get_item_focus();
    if (focus && !focus->is_selected()) {
      select_only(focus, 1);
      show_item(focus);
    }
  }
  return used;
}

FltkFolderTree::FltkFolderTree(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.end();
  view_.showroot(0);
  view_.selectmode(FL_TREE_SELECT_SINGLE);
  view_.item_labelfont(FontFor("MS Shell Dlg 2", false));
  view_.item_labelsize(PixelSize(8));
  view_.when(FL_WHEN_CHANGED);
  view_.callback(Changed, this);
  AddDrives();
  Attach(view_, group);
}

void FltkFolderTree::AddDrives() {
  for (const platform::Drive& drive : platform::DriveMap()) {
    AddNode(view_.root(), DriveLabel(drive), std::string(1, drive.letter) + ":\\");
  }
}

Fl_Tree_Item* FltkFolderTree::AddNode(Fl_Tree_Item* parent, const std::string& label,
                                      std::string path) {
  Fl_Tree_Item* item = view_.add(parent, label.c_str());
  if (!item) return nullptr;
  const bool has_children = !Subfolders(path).empty();
  nodes_.push_back(Node{std::move(path), false});
  item->user_data(&nodes_.back());
  // A blank child stands in for the folders until the node is opened.
  if (has_children) view_.add(item, " ");
  item->close();
  return item;
}

void FltkFolderTree::Fill(Fl_Tree_Item* item) {
  auto* node = item ? static_cast<Node*>(item->user_data()) : nullptr;
  if (!node || node->filled) return;
  node->filled = true;
  item->clear_children();
  const std::string parent_path = node->path;
  for (const std::string& name : Subfolders(parent_path)) {
    AddNode(item, AnsiToUtf8(name), parent_path + name + "\\");
  }
}

void FltkFolderTree::Changed(Fl_Widget*, void* self) {
  auto& tree = *static_cast<FltkFolderTree*>(self);
  Fl_Tree_Item* item = tree.view_.callback_item();
  switch (tree.view_.callback_reason()) {
    case FL_TREE_REASON_OPENED:
      tree.Fill(item);
      tree.view_.redraw();
      break;
    case FL_TREE_REASON_SELECTED: {
      if (tree.selecting_ || !item) break;
      auto* node = static_cast<Node*>(item->user_data());
      if (node) tree.Selected(node->path);
      break;
    }
    default:
      break;
  }
}

bool FltkFolderTree::SelectFolder(std::string_view folder, bool expand) {
  std::string wanted = WithTrailingBackslash(folder);
  const std::vector<std::string> parts = SplitPath(wanted);
  if (parts.empty() || parts[0].size() != 2 || parts[0][1] != ':') return false;
  Fl_Tree_Item* item = nullptr;
  const std::string drive = std::string(1, AnsiUpperChar(parts[0][0])) + ":\\";
  for (int i = 0; i < view_.root()->children(); ++i) {
    auto* node = static_cast<Node*>(view_.root()->child(i)->user_data());
    if (node && node->path == drive) item = view_.root()->child(i);
  }
  if (!item) return false;
  for (size_t p = 1; p < parts.size() + 1; ++p) {
    if (expand) {
      Fill(item);
      view_.open(item, 0);
    }
    if (p == parts.size()) break;
    Fill(item);
    Fl_Tree_Item* next = nullptr;
    for (int i = 0; i < item->children(); ++i) {
      auto* node = static_cast<Node*>(item->child(i)->user_data());
      if (node && EqualsIgnoreCaseAnsi(
                      node->path, static_cast<Node*>(item->user_data())->path + parts[p] + "\\")) {
        next = item->child(i);
        break;
      }
    }
    if (!next) return false;
    item = next;
  }
  selecting_ = true;
  view_.select_only(item, 0);
  view_.set_item_focus(item);
  view_.show_item(item);
  selecting_ = false;
  view_.redraw();
  Selected(std::move(wanted));
  return true;
}

void FltkFolderTree::Clear() {
  selecting_ = true;
  view_.deselect_all(nullptr, 0);
  for (Fl_Tree_Item* item = view_.first(); item; item = view_.next(item)) {
    if (item != view_.root()) item->close();
  }
  selecting_ = false;
  Unselected();
  view_.redraw();
}

void FltkFolderTree::Refresh() {
  view_.color(FL_WHITE);
  view_.box(FL_DOWN_BOX);
  FltkControl::Refresh();
}

Fl_Widget* FocusView(Widget& widget) {
  if (auto* button = dynamic_cast<FltkButton*>(&widget)) return button->View();
  if (auto* edit = dynamic_cast<FltkEdit*>(&widget)) return edit->View();
  if (auto* tree = dynamic_cast<FltkFolderTree*>(&widget)) return tree->View();
  if (auto* memo = dynamic_cast<FltkMemo*>(&widget)) return memo->View();
  if (auto* rich = dynamic_cast<FltkRichEdit*>(&widget)) return rich->View();
  return nullptr;
}

// ---- button

FltkButton::FltkButton(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.callback(Pressed, this);
  Attach(view_, group);
}

void FltkButton::Refresh() {
  const std::string caption = CaptionText(Text());
  if (caption != caption_) {
    caption_ = caption;
    view_.label(caption_.c_str());
  }
  view_.SetDropDownMark(DropDownMark());
  const FontSpec& font = Font();
  view_.labelfont(FontFor(font.face, font.bold));
  view_.labelsize(PixelSize(font.size_points));
  FltkControl::Refresh();
}

void FltkButton::Pressed(Fl_Widget*, void* self) {
  static_cast<FltkButton*>(self)->Click();
}

// ---- picture

FltkPicture::FltkPicture(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.SetPaint([this](PaintedView& v) { Paint(v); });
  Attach(view_, group);
}

bool FltkPicture::SetPicture(std::string bytes, std::string_view format) {
  std::optional<RgbaImage> image = DecodePicture(bytes, format);
  scaled_.reset();
  image_.reset();
  if (!image || image->width <= 0 || image->height <= 0) {
    decoded_ = RgbaImage{};
    Update();
    return false;
  }
  decoded_ = std::move(*image);
  Rebuild();
  Update();
  return true;
}

// A transparent picture leaves out every pixel of its lower left pixel's
// colour; an opaque one is handed to FLTK without alpha, which draws faster.
void FltkPicture::Rebuild() {
  scaled_.reset();
  image_.reset();
  const int w = decoded_.width;
  const int h = decoded_.height;
  if (w <= 0 || h <= 0) return;
  keyed_ = Transparent();
  const uint8_t* src = decoded_.pixels.data();
  bool opaque = !keyed_;
  for (size_t i = 3; opaque && i < decoded_.pixels.size(); i += 4) opaque = src[i] == 255;
  if (opaque) {
    shown_pixels_.resize(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
      std::copy_n(src + i * 4, 3, shown_pixels_.data() + i * 3);
    }
    image_ = std::make_unique<Fl_RGB_Image>(shown_pixels_.data(), w, h, 3);
    return;
  }
  shown_pixels_ = decoded_.pixels;
  if (keyed_) {
    const uint8_t* key = src + static_cast<size_t>(h - 1) * w * 4;
    for (size_t i = 0; i < shown_pixels_.size(); i += 4) {
      if (std::equal(key, key + 3, shown_pixels_.data() + i)) shown_pixels_[i + 3] = 0;
    }
  }
  image_ = std::make_unique<Fl_RGB_Image>(shown_pixels_.data(), w, h, 4);
}

void FltkPicture::Paint(PaintedView& v) {
  if (decoded_.width > 0 && keyed_ != Transparent()) Rebuild();
  if (!image_ || v.w() <= 0 || v.h() <= 0) return;
  Fl_Image* shown = image_.get();
  if (Stretch() && (image_->w() != v.w() || image_->h() != v.h())) {
    if (!scaled_ || scaled_->w() != v.w() || scaled_->h() != v.h()) {
      Fl_RGB_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
      scaled_.reset(image_->copy(v.w(), v.h()));
    }
    shown = scaled_.get();
  }
  int x = v.x();
  int y = v.y();
  if (Center() && !Stretch()) {
    x += (v.w() - shown->w()) / 2;
    y += (v.h() - shown->h()) / 2;
  }
  fl_push_clip(v.x(), v.y(), v.w(), v.h());
  shown->draw(x, y);
  fl_pop_clip();
}

// ---- panel and bevel

FltkPanel::FltkPanel(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.SetPaint([this](PaintedView& v) { Paint(v); });
  Attach(view_, group);
}

namespace {

// A frame one pixel wide: `light` on the top and left, `dark` on the bottom
// and right (a raised frame; swapped, a lowered one).
void DrawFrame(int x, int y, int w, int h, ColourRef light, ColourRef dark) {
  if (w <= 0 || h <= 0) return;
  fl_color(ToFlColour(light));
  fl_xyline(x, y, x + w - 1);
  fl_yxline(x, y, y + h - 1);
  fl_color(ToFlColour(dark));
  fl_xyline(x, y + h - 1, x + w - 1);
  fl_yxline(x + w - 1, y, y + h - 1);
}

constexpr ColourRef kHighlight = 0xFFFFFF;
constexpr ColourRef kShadow = 0xA0A0A0;

}  // namespace

void FltkPanel::Paint(PaintedView& v) {
  fl_color(ToFlColour(Colour()));
  fl_rectf(v.x(), v.y(), v.w(), v.h());
  DrawFrame(v.x(), v.y(), v.w(), v.h(), kHighlight, kShadow);
  const std::string text = DisplayText(Text());
  UseFont(Font());
  fl_color(ToFlColour(Enabled() ? Font().colour : kGreyText));
  fl_push_clip(v.x() + 1, v.y() + 1, v.w() - 2, v.h() - 2);
  fl_draw(text.c_str(), v.x(), v.y(), v.w(), v.h(), FL_ALIGN_CENTER, nullptr, 0);
  fl_pop_clip();
}

FltkBevel::FltkBevel(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.SetPaint([this](PaintedView& v) { Paint(v); });
  Attach(view_, group);
}

void FltkBevel::Paint(PaintedView& v) {
  DrawFrame(v.x(), v.y(), v.w(), v.h(), kShadow, kHighlight);
}

// ---- memo and rich edit

TextBox::TextBox()
    : text_(std::make_unique<Fl_Text_Buffer>()),
      styles_(std::make_unique<Fl_Text_Buffer>()),
      display_(std::make_unique<UnderlinedTextDisplay>(0, 0, 0, 0)) {
  display_->end();
  display_->buffer(text_.get());
  display_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
  display_->scrollbar_align(FL_ALIGN_BOTTOM_RIGHT);
}

TextBox::~TextBox() {
  // The display lets go of its buffers before they go.
  display_.reset();
}

void TextBox::ShowPlain(const std::string& utf8, const FontSpec& font) {
  TextRun run;
  run.text = Utf8ToWide(utf8);
  run.style.colour = font.colour;
  run.style.bold = font.bold;
  ShowRich({run}, font);
}

void TextBox::ShowRich(const std::vector<TextRun>& runs, const FontSpec& font) {
  // One style letter per distinct style, from 'A'; FLTK needs one letter per
  // byte of text.
  constexpr int kMaxStyles = 'z' - 'A' + 1;
  std::vector<TextStyle> seen;
  std::vector<Fl_Text_Display::Style_Table_Entry> table;
  std::string text;
  std::string styles;
  for (const TextRun& run : runs) {
    auto it = std::find(seen.begin(), seen.end(), run.style);
    size_t index = static_cast<size_t>(it - seen.begin());
    if (it == seen.end()) {
      if (seen.size() < kMaxStyles) {
        seen.push_back(run.style);
        const std::string& face = run.style.face.empty() ? font.face : run.style.face;
        const int pixels =
            run.style.half_points > 0
                ? std::max(1, static_cast<int>(std::lround(run.style.half_points * 96.0 / 144.0)))
                : PixelSize(font.size_points);
        table.push_back({ToFlColour(run.style.colour),
                         FontFor(face, run.style.bold, run.style.italic), pixels,
                         run.style.underline ? UnderlinedTextDisplay::kUnderline : 0u});
      } else {
        index = seen.size() - 1;
      }
    }
    std::string utf8 = WideToUtf8(run.text);
    std::string clean;
    clean.reserve(utf8.size());
    for (char c : utf8) {
      if (c != '\r') clean += c;
    }
    text += clean;
    styles.append(clean.size(), static_cast<char>('A' + index));
  }
  if (table.empty())
    table.push_back(
        {ToFlColour(font.colour), FontFor(font.face, font.bold), PixelSize(font.size_points), 0});
  // The display keeps a pointer to the table: empty the buffers while the
  // old table is still valid, then hand over the new one.
  text_->text("");
  styles_->text("");
  table_ = std::move(table);
  display_->textfont(table_[0].font);
  display_->textsize(table_[0].size);
  display_->highlight_data(styles_.get(), table_.data(), static_cast<int>(table_.size()), 'A',
                           nullptr, nullptr);
  styles_->text(styles.c_str());
  text_->text(text.c_str());
  display_->redraw();
}

void TextBox::Style(bool border, bool enabled) {
  display_->box(border ? FL_DOWN_BOX : FL_FLAT_BOX);
  display_->color(FL_WHITE);
  if (enabled) {
    display_->activate();
  } else {
    display_->deactivate();
  }
}

FltkMemo::FltkMemo(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  Attach(box_.View(), group);
}

void FltkMemo::Refresh() {
  box_.Style(Border(), Enabled());
  box_.ShowPlain(DisplayText(Text()), Font());
  FltkControl::Refresh();
}

FltkRichEdit::FltkRichEdit(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  Attach(box_.View(), group);
}

void FltkRichEdit::Refresh() {
  box_.Style(Border(), Enabled());
  if (IsRichText(Content())) {
    box_.ShowRich(ParseRichText(Content()), Font());
  } else {
    // Plain text, set or loaded, has no styles of its own: it shows in the
    // control's face, size and colour, up to the first zero character.
    const std::u16string& text = Text();
    box_.ShowPlain(DisplayText(std::u16string_view(text).substr(0, text.find(u'\0'))), Font());
  }
  FltkControl::Refresh();
}

// ---- gauge

FltkGauge::FltkGauge(FltkPageArea* area, Fl_Group& group) : FltkControl(area) {
  view_.SetPaint([this](PaintedView& v) { Paint(v); });
  Attach(view_, group);
}

void FltkGauge::Paint(PaintedView& v) {
  FltkCanvas canvas(v.x(), v.y(), v.w(), v.h());
  DrawFace(canvas);
}

// ---- page area

FltkPageArea::FltkPageArea(Fl_Group& parent) {
  Attach(group_, parent);
}

FltkPageArea::~FltkPageArea() {
  // Controls first: their widgets leave the group as they go.
  DestroyChildren();
}

std::unique_ptr<Widget> FltkPageArea::Make(WidgetKind kind) {
  std::unique_ptr<Widget> control;
  Fl_Widget* view = nullptr;
  auto make = [&](auto made) {
    view = made->View();
    control = std::move(made);
  };
  switch (kind) {
    case WidgetKind::Label:
      make(std::make_unique<FltkLabel>(this, group_));
      break;
    case WidgetKind::Edit:
      make(std::make_unique<FltkEdit>(this, group_));
      break;
    case WidgetKind::FolderTree:
      make(std::make_unique<FltkFolderTree>(this, group_));
      break;
    case WidgetKind::Button:
      make(std::make_unique<FltkButton>(this, group_));
      break;
    case WidgetKind::Picture:
      make(std::make_unique<FltkPicture>(this, group_));
      break;
    case WidgetKind::Panel:
      make(std::make_unique<FltkPanel>(this, group_));
      break;
    case WidgetKind::Bevel:
      make(std::make_unique<FltkBevel>(this, group_));
      break;
    case WidgetKind::Memo:
      make(std::make_unique<FltkMemo>(this, group_));
      break;
    case WidgetKind::RichEdit:
      make(std::make_unique<FltkRichEdit>(this, group_));
      break;
    case WidgetKind::Gauge:
      make(std::make_unique<FltkGauge>(this, group_));
      break;
  }
  views_.emplace_back(control.get(), view);
  return control;
}

// A new control's widget went to the end of the group when it was made,
// which is the front already; a moved one is put back in z-order.
void FltkPageArea::Restacked(Widget&, Stacking how) {
  if (how == Stacking::Added) return;
  const std::vector<Widget*>& order = Children();
  for (size_t i = 0; i < order.size(); ++i) {
    auto it = std::find_if(views_.begin(), views_.end(),
                           [&](const auto& entry) { return entry.first == order[i]; });
    if (it != views_.end()) group_.insert(*it->second, static_cast<int>(i));
  }
  DamageUnder(group_);
}

void FltkPageArea::Refresh() {
  group_.color(ToFlColour(Colour()));
  FltkControl::Refresh();
}

}  // namespace wizpak::gui::fltk
