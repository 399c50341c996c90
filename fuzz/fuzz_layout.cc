// Fuzz target: layout texts and page descriptions. Any bytes must build a
// page (or raise the wizard's fatal error) without crashing, and every
// control that was built must belong to the page area.
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "gui/headless/headless_widgets.h"
#include "gui/message_box.h"
#include "text/run_texts.h"
#include "wizard/control_parser.h"
#include "wizard/page_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wizpak;
  static const bool quiet = [] {
    gui::SetMessageBoxHandler([](const gui::MessageBoxRequest&) { return gui::Answer::Ok; });
    return true;
  }();
  (void)quiet;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const RunTexts texts;
  {
    gui::headless::HeadlessPageArea area;
    wizard::TControlParser page(area, texts, [](std::string_view) { return std::nullopt; });
    try {
      page.LoadLayoutText(text);
    } catch (const wizard::WizardError&) {
    }
    if (page.Controls().size() > area.Children().size()) std::abort();
    page.RetranslateControls();
    page.SendControlsToBack();
  }
  {
    // As a page description whose every layout is the same text.
    gui::headless::HeadlessPageArea area;
    gui::headless::HeadlessButton back(nullptr), next(nullptr), cancel(nullptr), language(nullptr);
    wizard::TSEPageControl pages(back, next, cancel, language, area, texts,
                                 [&text](std::string_view) { return text; });
    try {
      pages.LoadPageSetText(text);
    } catch (const wizard::WizardError&) {
    }
    for (int i = -1; i <= pages.PageCount(); ++i) pages.ShowPage(i);
    if (pages.PageCount() > 0 && (pages.CurrentPage < 0 || pages.CurrentPage >= pages.PageCount()))
      std::abort();
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  return {
      "[Title]\r\nType=TLabel\r\nLeft=$10\r\nCaption=<LANG1><BR><%SETUPTITLE%>\r\nFontBold=TRUE\r\n"
      "[Bar]\r\nType=TProgressBar\r\nForeColour=$C8963C\r\nBackColour=16777215\r\n"
      "[Notes]\r\nType=TMemo\r\nText=a<br>b\r\nBorder=true\r\n",
      "[Pages]\rwelcome.txt\rmain.txt\r[PageTypes]\rwelcome\rmainlayout\r[Settings]\rcolour "
      "$222222\rfontcolour=255\r",
      "stray\rtedit\r[Box]\rType=TEdit\rText=\r[Img]\rType=TImage\rFile=x.jpg\rStretch=true\r",
      "[A]\nType=TLabel\n",
  };
}
