#include "platform/system.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "platform/language_ids.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

using test::ScopedEnv;

struct LocaleEnv {
  ScopedEnv forced{"WIZPAK_LANGID", std::nullopt};
  ScopedEnv all{"LC_ALL", std::nullopt};
  ScopedEnv messages{"LC_MESSAGES", std::nullopt};
  ScopedEnv lang{"LANG", std::nullopt};
};

TEST(SystemLanguage, ComesFromTheEnvironmentInOrder) {
  LocaleEnv clean;
  EXPECT_EQ(SystemDefaultLangID(), 0x0409);
  {
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(SystemDefaultLangID(), 0x0407);
    ScopedEnv messages("LC_MESSAGES", "pl_PL");
    EXPECT_EQ(SystemDefaultLangID(), 0x0415);
    ScopedEnv all("LC_ALL", "fr_CA.UTF-8");
    EXPECT_EQ(SystemDefaultLangID(), 0x0C0C);
    ScopedEnv forced("WIZPAK_LANGID", "0x0413");
    EXPECT_EQ(SystemDefaultLangID(), 0x0413);
  }
  {
    ScopedEnv lang("LANG", "ru_RU.UTF-8");
    ScopedEnv empty_all("LC_ALL", "");  // empty means unset
    EXPECT_EQ(SystemDefaultLangID(), 0x0419);
    ScopedEnv forced("WIZPAK_LANGID", "not hex");  // ignored
    EXPECT_EQ(SystemDefaultLangID(), 0x0419);
    ScopedEnv forced_plain("WIZPAK_LANGID", "0411");
    EXPECT_EQ(SystemDefaultLangID(), 0x0411);
  }
  {
    ScopedEnv all("LC_ALL", "C.UTF-8");
    ScopedEnv lang("LANG", "de_DE");
    EXPECT_EQ(SystemDefaultLangID(), 0x0409);  // the first variable set decides
  }
}

TEST(SystemLanguage, LocaleNamesMapToWindowsIds) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},         {"en", 0x0409},    {"de_AT", 0x0C07},
      {"de_CH.UTF-8", 0x0807}, {"de_DE@euro", 0x0407},    {"fr_FR", 0x040C}, {"es_ES", 0x0C0A},
      {"es_MX", 0x080A},       {"it_IT", 0x0410},         {"nl_BE", 0x0813}, {"pl_PL", 0x0415},
      {"pt_BR", 0x0416},       {"pt_PT", 0x0816},         {"ru_RU", 0x0419}, {"cs_CZ", 0x0405},
      {"sv_SE", 0x041D},       {"sv_FI", 0x081D},         {"da_DK", 0x0406}, {"fi_FI", 0x040B},
      {"nb_NO", 0x0414},       {"nn_NO", 0x0814},         {"no_NO", 0x0414}, {"hu_HU", 0x040E},
      {"ja_JP.eucJP", 0x0411}, {"zh_CN.GB18030", 0x0804}, {"zh_TW", 0x0404}, {"zh", 0x0804},
      {"DE-de", 0x0407},
  };
  for (const auto& [locale, id] : cases) EXPECT_EQ(LangIdFromLocale(locale), id) << locale;
  EXPECT_FALSE(LangIdFromLocale("C"));
  EXPECT_FALSE(LangIdFromLocale("POSIX"));
  EXPECT_FALSE(LangIdFromLocale("xx_YY"));
  EXPECT_FALSE(LangIdFromLocale(""));
}

TEST(SystemFacts, VersionMemoryAndClocksAreSane) {
  const VersionRecord version = GetVersion();
  EXPECT_EQ(version.platform_id, 3u);
  EXPECT_GT(version.major, 0u);
  EXPECT_EQ(version.csd_version.rfind("Linux ", 0), 0u) << version.csd_version;

  const MemoryStatus memory = GetMemoryStatus();
  EXPECT_GT(memory.total_physical, 0u);
  EXPECT_LE(memory.available_physical, memory.total_physical);
  EXPECT_LE(memory.memory_load, 100u);
  EXPECT_GE(memory.total_page_file, memory.total_physical);
  EXPECT_LE(memory.available_virtual, memory.total_virtual);

  const uint64_t before = MonotonicMilliseconds();
  const uint32_t ticks = TickCount();
  const uint64_t tsc = TimeStampCounter();
  SleepMilliseconds(30);
  EXPECT_GE(MonotonicMilliseconds() - before, 25u);
  EXPECT_GE(static_cast<uint32_t>(TickCount() - ticks), 25u);
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_GT(TimeStampCounter(), tsc);
#endif
  // The suite may run under nice: the class follows the process's nice
  // value (plain nice is 10), and a thread like its process is "Normal".
  const int nice_value = getpriority(PRIO_PROCESS, 0);
  const char* expected = nice_value >= 15  ? "Idle"
                         : nice_value >= 5 ? "Below Normal"
                         : nice_value > -5 ? "Normal"
                                           : nullptr;
  if (expected) {
    EXPECT_EQ(ProcessPriorityName(), expected) << "nice " << nice_value;
  }
  EXPECT_EQ(ThreadPriorityName(), "Normal");
}

TEST(SystemFacts, DisplayNeedsOneOfTheVariables) {
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", "");
  EXPECT_FALSE(DisplayConfigured());
  ScopedEnv x("DISPLAY", ":0");
  EXPECT_TRUE(DisplayConfigured());
}

}  // namespace
}  // namespace wizpak::platform
