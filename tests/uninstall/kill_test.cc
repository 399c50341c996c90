// Crash safety of what an installation rewrites: a child process saves the
// install log and writes registry values in a loop, as an installation does,
// and is killed (SIGKILL) at random moments of its writing. After every kill
// the install log and the hive must each be a complete file: the one before
// the interrupted write or the one after it.
#include "platform/files.h"
#include "platform/registry.h"
#include "support/setup_rig.h"
#include "uninstall/install_log_format.h"
#include "uninstall/uninstall_list.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

namespace wizpak {
namespace {

constexpr int kRuns = 24;
constexpr int kPayloadSlots = 20;
constexpr const char* kFolder = "C:\\Games\\Kill";
constexpr const char* kKey = "Software\\KillTest";
constexpr platform::RootKey kRoot = platform::RootKey::CurrentUser;

// The install log of generation g: a header entry naming g, then a
// generation-dependent number of files and folders.
InstallLogLists LogOfGeneration(int g) {
  InstallLogLists lists;
  lists.files.push_back("gen " + std::to_string(g));
  for (int j = 0; j < g % 150; ++j) {
    lists.files.push_back("$INSTDIR\\data\\file" + std::to_string(j) + "_" + std::to_string(g));
  }
  lists.registry_entries.push_back("\"HKCU\" \"" + std::string(kKey) + "\" \"Gen\" \"" +
                                   std::to_string(g) + "\"");
  lists.directories.assign(g % 7, "C:\\Games\\Kill\\data");
  return lists;
}

std::string PayloadOfGeneration(int g) {
  std::string text = "generation " + std::to_string(g) + ":";
  for (int i = 0; i < 40 + g % 60; ++i) text += static_cast<char>('a' + (g + i) % 26);
  return text;
}

std::string SlotName(int slot) {
  return "Payload" + std::to_string(slot);
}

// The generation the install log on disk holds (0 when there is none); fails
// the test when the file is not a complete log of some generation.
int CheckedLogGeneration(const std::string& host_path) {
  const std::string bytes = test::ReadHostFile(host_path);
  if (bytes.empty()) return 0;
  const InstallLogDecoding decoded = DecodeInstallLog(bytes);
  EXPECT_TRUE(decoded.ok) << decoded.error;
  if (!decoded.ok || decoded.lists.files.empty()) return -1;
  const int g = std::stoi(decoded.lists.files[0].substr(4));
  EXPECT_EQ(decoded.lists, LogOfGeneration(g)) << "generation " << g;
  return g;
}

// The last generation recorded in the hive; fails the test unless every
// payload slot holds the value of a completed generation, or of the one
// after it for the slot that generation writes first.
int CheckedHiveGeneration() {
  platform::Registry registry;
  const std::optional<std::string> gen = registry.ReadString(kRoot, kKey, "Gen");
  if (!gen) return 0;
  const int g = std::stoi(*gen);
  for (int slot = 0; slot < kPayloadSlots; ++slot) {
    const std::optional<std::string> value = registry.ReadString(kRoot, kKey, SlotName(slot));
    int last = g - ((g - slot) % kPayloadSlots + kPayloadSlots) % kPayloadSlots;
    if (last <= 0) {
      last = 0;
    }
    const std::string old_value = last > 0 ? PayloadOfGeneration(last) : std::string();
    const bool next_slot = (g + 1) % kPayloadSlots == slot;
    const std::string got = value.value_or("");
    if (next_slot) {
      EXPECT_TRUE(got == old_value || got == PayloadOfGeneration(g + 1)) << slot << ": " << got;
    } else {
      EXPECT_EQ(got, old_value) << "slot " << slot << " at generation " << g;
    }
  }
  return g;
}

// The child: continues from the generation on disk, forever.
[[noreturn]] void InstallForever(int start) {
  platform::Registry registry;
  for (int g = start + 1;; ++g) {
    TUninstallList log;
    log.Assign(LogOfGeneration(g));
    if (!log.SaveToFile(kFolder, "Kill_").ok()) _exit(10);
    if (!registry.WriteString(kRoot, kKey, SlotName(g % kPayloadSlots), PayloadOfGeneration(g)))
      _exit(11);
    if (!registry.WriteString(kRoot, kKey, "Gen", std::to_string(g))) _exit(12);
  }
}

TEST(KillTest, InstallLogAndHiveSurviveSigkillAtRandomMoments) {
  test::TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
  ASSERT_TRUE(platform::CreateDirectory(kFolder));
  const std::string log_path = machine.drive_c() + "/Games/Kill/Kill_install.log";

  std::mt19937 random(20261208);
  // Kill moments by the bytes the child has written (a generation writes
  // some kilobytes), whatever the machine's speed.
  std::uniform_int_distribution<uint64_t> moment(1, 64 << 10);
  int log_generation = 0;
  int hive_generation = 0;
  for (int run = 0; run < kRuns; ++run) {
    // Each generation writes the log first, then the hive; a child killed in
    // between redoes the generation the hive has not seen.
    const int start = hive_generation;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) InstallForever(start);
    const uint64_t at = moment(random);
    ASSERT_TRUE(
        test::WaitUntil([&] { return test::HasEnded(child) || test::BytesWritten(child) >= at; },
                        std::chrono::microseconds(100)));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << status;

    const int now_log = CheckedLogGeneration(log_path);
    const int now_hive = CheckedHiveGeneration();
    ASSERT_FALSE(HasFailure()) << "after run " << run;
    // Nothing written earlier is lost.
    EXPECT_GE(now_log, log_generation);
    EXPECT_GE(now_hive, hive_generation);
    log_generation = now_log;
    hive_generation = now_hive;
  }
  // The loop did real work between the kills.
  EXPECT_GT(log_generation, 0);
  std::printf("install log reached generation %d, hive %d, over %d kills\n", log_generation,
              hive_generation, kRuns);
}

}  // namespace
}  // namespace wizpak
