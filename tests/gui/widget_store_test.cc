// The widget classes keep the properties and tell the backend each change:
// a backend that only records what it is told must hear every setter, must
// not hear text the user typed, and must see z-order moves and closing in
// the order it relies on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gui/widgets.h"

namespace wizpak::gui {
namespace {

using Log = std::vector<std::string>;

template <class Interface>
class Recording : public Interface {
 public:
  Recording(PageArea* area, Log& log) : Interface(area), log_(log) {}
  void Repaint() override {}

 protected:
  void Apply(Property changed) override {
    log_.push_back("apply " + std::to_string(static_cast<int>(changed)));
  }
  Log& log_;
};

class RecordingEdit : public Recording<Edit> {
 public:
  using Recording::Recording;
  void Type(std::u16string text) { Typed(std::move(text)); }
};

class RecordingArea : public PageArea {
 public:
  explicit RecordingArea(Log& log) : log_(log) {}
  void Repaint() override {}

 protected:
  std::unique_ptr<Widget> Make(WidgetKind kind) override {
    if (kind == WidgetKind::Edit) return std::make_unique<RecordingEdit>(this, log_);
    return std::make_unique<Recording<Label>>(this, log_);
  }
  void Restacked(Widget& child, Stacking how) override {
    log_.push_back(child.Name() + (how == Stacking::Added   ? " added"
                                   : how == Stacking::Front ? " front"
                                                            : " back"));
  }

 private:
  Log& log_;
};

std::string Applied(Property p) {
  return "apply " + std::to_string(static_cast<int>(p));
}

TEST(WidgetStore, EverySetterStoresAndTellsTheBackend) {
  Log log;
  RecordingArea area(log);
  Widget& w = area.CreateLabel();
  log.clear();
  w.SetLeft(3);
  w.SetEnabled(false);
  w.SetVisible(false);
  w.SetText(u"x");
  w.SetFont(FontSpec{});
  w.SetAutoSize(false);
  w.SetWordWrap(true);
  w.SetTransparent(true);
  w.SetBorder(true);
  w.SetColour(kBlack);
  EXPECT_EQ(log,
            (Log{Applied(Property::Bounds), Applied(Property::Enabled), Applied(Property::Visible),
                 Applied(Property::Text), Applied(Property::Font), Applied(Property::AutoSize),
                 Applied(Property::WordWrap), Applied(Property::Transparent),
                 Applied(Property::Border), Applied(Property::Colour)}));
  EXPECT_EQ(w.Bounds().left, 3);
  EXPECT_FALSE(w.Enabled() || w.Visible() || w.AutoSize());
  EXPECT_TRUE(w.WordWrap() && w.Transparent() && w.Border());
  EXPECT_EQ(w.Colour(), kBlack);

  // A name the text follows changes the text the backend shows; a name the
  // text no longer equals does not.
  Widget& named = area.CreateLabel();
  log.clear();
  named.SetName("Label1");
  EXPECT_EQ(named.Text(), u"Label1");
  EXPECT_EQ(log, Log{Applied(Property::Text)});
  named.SetText(u"Own");
  log.clear();
  named.SetName("Label2");
  EXPECT_EQ(named.Text(), u"Own");
  EXPECT_TRUE(log.empty());
}

TEST(WidgetStore, TypedTextIsStoredWithoutApplyingButRunsTheChangeCallback) {
  Log log;
  RecordingArea area(log);
  auto& edit = static_cast<RecordingEdit&>(area.CreateEdit());
  int changes = 0;
  edit.SetOnChange([&] { ++changes; });
  log.clear();
  edit.Type(u"C:\\Typed\\");
  EXPECT_EQ(edit.Text(), u"C:\\Typed\\");
  EXPECT_TRUE(log.empty());
  edit.SetText(u"C:\\Set\\");
  EXPECT_EQ(log, Log{Applied(Property::Text)});
  EXPECT_EQ(changes, 2);
}

TEST(WidgetStore, ZOrderMovesReachTheBackendAfterTheListChanged) {
  Log log;
  RecordingArea area(log);
  Widget& a = area.CreateLabel();
  a.SetName("a");
  Widget& b = area.CreateLabel();
  b.SetName("b");
  log.clear();
  a.BringToFront();
  b.SendToBack();
  EXPECT_EQ(log, (Log{"a front", "b back"}));
  EXPECT_EQ(area.Children(), (std::vector<Widget*>{&b, &a}));
  Recording<Label> stranger(nullptr, log);  // on no page area: nothing moves
  log.clear();
  stranger.BringToFront();
  area.Raise(stranger);
  EXPECT_TRUE(log.empty());
}

class RecordingForm : public MainForm {
 public:
  explicit RecordingForm(Log& log) : log_(log), pages_(log) {}
  PageArea& Pages() override { return pages_; }
  Button& BackButton() override { return NoButton(); }
  Button& NextButton() override { return NoButton(); }
  Button& CancelButton() override { return NoButton(); }
  Button& LanguageButton() override { return NoButton(); }
  void PopupMenuBelow(Widget&) override {}
  void Show() override {}

 private:
  Button& NoButton() { std::abort(); }
  void ApplyCaption() override { log_.push_back("caption " + std::string(Caption().size(), '*')); }
  void HideWindow() override { log_.push_back("hide"); }
  void WindowClosed() override { log_.push_back("closed"); }
  Log& log_;
  RecordingArea pages_;
};

TEST(WidgetStore, FormHidesBeforeTheCloseCallbackAndLetsGoAfterItOnce) {
  Log log;
  RecordingForm form(log);
  form.SetCaption(u"abc");
  bool agree = false;
  form.SetOnCloseQuery([&] { return agree; });
  form.SetOnClose([&] { log.push_back("on close"); });
  EXPECT_FALSE(form.Close());
  agree = true;
  EXPECT_TRUE(form.Close());
  EXPECT_TRUE(form.Close());
  EXPECT_EQ(log, (Log{"caption ***", "hide", "on close", "closed"}));
}

}  // namespace
}  // namespace wizpak::gui
