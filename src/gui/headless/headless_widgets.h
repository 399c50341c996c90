// In-memory controls of the headless front-end: the widget classes keep every
// property; these draw nothing and count repaints. Tests and unattended runs
// read them back.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/font.h"
#include "gui/widgets.h"

namespace wizpak::gui::headless {

// A control of one of the widget interfaces that only counts its repaints.
template <class Interface>
class Control : public Interface {
 public:
  explicit Control(PageArea* area) : Interface(area) {}
  void Repaint() override { ++repaints_; }
  int RepaintCount() const { return repaints_; }

 private:
  int repaints_ = 0;
};

class HeadlessLabel : public Control<Label> {
 public:
  using Control::Control;
};

class HeadlessEdit : public Control<Edit> {
 public:
  using Control::Control;
};

class HeadlessFolderTree : public Control<FolderTree> {
 public:
  using Control::Control;
  bool SelectFolder(std::string_view folder, bool expand) override;
  void Clear() override;
  // The folders opened on the way to selections made with `expand`.
  const std::vector<std::string>& ExpandedFolders() const { return expanded_; }

 private:
  std::vector<std::string> expanded_;
};

class HeadlessButton : public Control<Button> {
 public:
  using Control::Control;
};

class HeadlessPicture : public Control<Picture> {
 public:
  using Control::Control;
  bool SetPicture(std::string bytes, std::string_view format) override;
  bool HasPicture() const override { return !bytes_.empty(); }
  const std::string& PictureBytes() const { return bytes_; }
  const std::string& PictureFormat() const { return format_; }

 private:
  std::string bytes_;
  std::string format_;
};

class HeadlessPanel : public Control<Panel> {
 public:
  using Control::Control;
};

class HeadlessBevel : public Control<Bevel> {
 public:
  using Control::Control;
};

class HeadlessMemo : public Control<Memo> {
 public:
  using Control::Control;
};

class HeadlessRichEdit : public Control<RichEdit> {
 public:
  using Control::Control;
};

class HeadlessGauge : public Control<Gauge> {
 public:
  using Control::Control;
  // Paints into a fresh canvas of the control's size.
  void Repaint() override;
  // The result of the last Repaint(), if any.
  const MemoryCanvas* LastPaint() const { return last_paint_ ? &*last_paint_ : nullptr; }

 private:
  std::optional<MemoryCanvas> last_paint_;
};

class HeadlessPageArea : public PageArea {
 public:
  void Repaint() override { ++repaints_; }
  int RepaintCount() const { return repaints_; }

 protected:
  // Makes the control that Create adds. Front-ends built on these in-memory
  // controls (the terminal) make their own kinds.
  std::unique_ptr<Widget> Make(WidgetKind kind) override;

 private:
  int repaints_ = 0;
};

// A wizard window held in memory (the headless and the terminal front-ends):
// its page area, of kind `Area`, covers the page rectangle on white, and
// its four buttons are these in-memory controls, laid out as the wizard has
// them.
template <class Area>
class InMemoryMainForm : public MainForm {
 public:
  InMemoryMainForm() {
    pages_.SetBounds({0, 0, kClientWidth, kPageAreaHeight});
    pages_.SetColour(kWhite);
    LayOutButtons(language_, back_, next_, cancel_);
  }

  PageArea& Pages() override { return pages_; }
  Button& BackButton() override { return back_; }
  Button& NextButton() override { return next_; }
  Button& CancelButton() override { return cancel_; }
  Button& LanguageButton() override { return language_; }

 protected:
  Area pages_;
  HeadlessButton back_{nullptr};
  HeadlessButton next_{nullptr};
  HeadlessButton cancel_{nullptr};
  HeadlessButton language_{nullptr};
};

}  // namespace wizpak::gui::headless
