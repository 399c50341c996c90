#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

#include <map>

#include "gamearchive/archive_file.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "gamearchive/pak_system.h"
#include "platform/files.h"
#include "support/test_support.h"
#include "wav_builder.h"

namespace wizpak::gamearchive {
namespace {

// Package entries held in memory, each with its group.
class MemorySource : public PatchSource {
 public:
  void Add(uint16_t group, std::string name, std::string content) {
    entries_.push_back({group, std::move(name), std::move(content)});
  }
  uint32_t CountInGroup(uint16_t group) override {
    uint32_t n = 0;
    for (const auto& e : entries_) n += e.group == group;
    return n;
  }
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) override {
    for (uint32_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].group == group) fn(i);
  }
  std::string EntryName(uint32_t i) override { return entries_[i].name; }
  uint32_t EntrySize(uint32_t i) override {
    return static_cast<uint32_t>(entries_[i].content.size());
  }
  std::optional<std::string> Extract(uint32_t i) override {
    if (entries_[i].damaged) return std::nullopt;
    return entries_[i].content;
  }
  void Damage(uint32_t i) { entries_[i].damaged = true; }

 private:
  struct Entry {
    uint16_t group;
    std::string name;
    std::string content;
    bool damaged = false;
  };
  std::vector<Entry> entries_;
};

class PakSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.fail_handler = [this](const std::string& message) { failures_.push_back(message); };
    system_.retry_handler = [this](const std::string& message) {
      retries_.push_back(message);
      return false;
    };
  }

  // Program paths, as a script gives them, and the host file behind them.
  std::string Folder() const { return "C:\\Game"; }
  std::string ArchivePath() const { return Folder() + "\\data.kyp"; }
  std::string HostArchive() const { return machine_.drive_c() + "/Game/data.kyp"; }

  void MakeArchive(const std::vector<NewArchiveFile>& files, const std::string& password = "",
                   bool short_trailer = false) {
    std::string error;
    platform::CreateDirectory(Folder());
    ASSERT_TRUE(WriteNewArchive(ArchivePath(), files, password, short_trailer, error)) << error;
  }

  ArchiveReader Read() {
    std::string error;
    auto reader = OpenArchiveForReading(ArchivePath(), error);
    EXPECT_TRUE(reader) << error;
    return reader ? *reader : ArchiveReader{};
  }

  std::string Content(const ArchiveReader& a, const std::string& name) {
    for (const auto& e : a.index.entries)
      if (e.name() == name) {
        std::string error;
        return ReadEntryContent(a, e, error).value_or("<damaged>");
      }
    return "<missing>";
  }

  std::vector<std::string> Names(const ArchiveReader& a) {
    std::vector<std::string> names;
    for (const auto& e : a.index.entries) names.push_back(e.name());
    return names;
  }

  void Update(MemorySource& source, uint16_t group, const std::string& password) {
    system_.UpdateArchive(source, group, Folder(), "data.kyp", password);
  }

  test::TestMachine machine_;
  TPakSystem system_;
  std::vector<std::string> failures_;
  std::vector<std::string> retries_;
};

TEST_F(PakSystemTest, PatchingTheSameGroupTwiceChangesNothingTheSecondTime) {
  MakeArchive({{"Data\\Old.txt", "old"}, {"Data\\b.txt", "bee"}});
  MemorySource source;
  source.Add(1, "Data\\new.txt", std::string(3000, 'n'));
  source.Add(1, "Data\\b.txt", "bee");  // same bytes as stored: unchanged
  Update(source, 1, "");
  const ArchiveReader first = Read();
  EXPECT_EQ(Names(first),
            (std::vector<std::string>{"Data\\Old.txt", "Data\\b.txt", "Data\\new.txt"}));
  Update(source, 1, "");
  const ArchiveReader second = Read();
  EXPECT_EQ(second.index.table_start, first.index.table_start);
  EXPECT_EQ(Names(second), Names(first));
  EXPECT_EQ(Content(second, "Data\\new.txt"), std::string(3000, 'n'));
  EXPECT_TRUE(failures_.empty());
}

TEST_F(PakSystemTest, ChangedFileMovesToTheEndAndKeepsItsStoredName) {
  MakeArchive({{"Data\\Old.txt", "old"}, {"Data\\b.txt", "bee"}});
  const uint64_t region = Read().index.table_start;
  MemorySource source;
  source.Add(1, "data\\old.TXT", "a new text");
  Update(source, 1, "");
  const ArchiveReader a = Read();
  EXPECT_EQ(Names(a), (std::vector<std::string>{"Data\\b.txt", "Data\\Old.txt"}));
  EXPECT_EQ(Content(a, "Data\\Old.txt"), "a new text");
  EXPECT_EQ(a.index.table_start, region + StampedStream("a new text").size());
}

TEST_F(PakSystemTest, SameContentStoredByAnotherCompressorStaysInPlace) {
  // a.txt stored at zlib level 1 (as another tool might), stamped as usual.
  const std::string content(4000, 'a');
  uLongf length = compressBound(content.size());
  std::string stream(length, '\0');
  compress2(reinterpret_cast<Bytef*>(stream.data()), &length,
            reinterpret_cast<const Bytef*>(content.data()), content.size(), 1);
  stream.resize(length);
  StoreLe32(stream, 0, *ByteReader(stream).U32At(0) ^ Crc32(std::string_view(stream).substr(4)));
  ASSERT_NE(stream, StampedStream(content));
  const std::string bee = StampedStream("bee");
  const std::vector<TableEntry> entries = {
      TableEntry::Make(StorageKind::Stamped, 0, static_cast<uint32_t>(stream.size()), 4000, 0,
                       "a.txt"),
      TableEntry::Make(StorageKind::Stamped, 0, static_cast<uint32_t>(bee.size()), 3,
                       static_cast<uint32_t>(stream.size()), "b.txt")};
  test::WriteHostFile(HostArchive(), stream + bee + BuildArchiveTail(entries, {}, 1, 2));
  const ArchiveReader before = Read();

  // The same content keeps its entry and its place; nothing is appended.
  MemorySource source;
  source.Add(1, "A.TXT", content);
  Update(source, 1, "");
  const ArchiveReader after = Read();
  EXPECT_EQ(Names(after), Names(before));
  EXPECT_EQ(after.index.table_start, before.index.table_start);

  // A different content of the same size is replaced and moves to the end.
  MemorySource changed;
  changed.Add(1, "a.txt", std::string(4000, 'c'));
  Update(changed, 1, "");
  EXPECT_EQ(Names(Read()), (std::vector<std::string>{"b.txt", "a.txt"}));
  EXPECT_EQ(Content(Read(), "a.txt"), std::string(4000, 'c'));
}

TEST_F(PakSystemTest, UnreadablePackageEntryNeverReplacesTheGamesFile) {
  MakeArchive({{"a.txt", "the game's file"}});
  MemorySource source;
  source.Add(1, "a.txt", "new content");
  source.Damage(0);
  source.Add(1, "empty.txt", "");
  source.Damage(1);  // the package reader gives nothing for an empty entry too
  Update(source, 1, "");
  const ArchiveReader a = Read();
  EXPECT_EQ(Content(a, "a.txt"), "the game's file");
  EXPECT_EQ(Content(a, "empty.txt"), "");
}

TEST_F(PakSystemTest, PasswordRules) {
  // A short trailer with a password accepts exactly it and is written back long.
  MakeArchive({{"a.txt", "a"}}, "Key9", true);
  MemorySource source;
  source.Add(1, "b.txt", "b");
  Update(source, 1, "Key9");
  ArchiveReader a = Read();
  EXPECT_EQ(a.index.trailer, TrailerForm::Long);
  EXPECT_EQ(a.index.extra.password, "Key9");

  const auto before = test::ReadHostFile(HostArchive());
  EXPECT_THROW(Update(source, 1, "key9"), ArchiveFailure);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], "Error Incorrect Password\rFile: data.kyp");
  EXPECT_EQ(test::ReadHostFile(HostArchive()), before);  // unchanged

  // An archive without a password takes the first one it is given.
  MakeArchive({{"a.txt", "a"}});
  Update(source, 1, "first");
  EXPECT_EQ(Read().index.extra.password, "first");
  EXPECT_THROW(Update(source, 1, "second"), ArchiveFailure);

  // A password the long trailer cannot hold is refused before anything changes.
  MakeArchive({{"a.txt", "a"}});
  const auto untouched = test::ReadHostFile(HostArchive());
  EXPECT_THROW(Update(source, 1, std::string(42, 'p')), ArchiveFailure);
  EXPECT_EQ(test::ReadHostFile(HostArchive()), untouched);
}

TEST_F(PakSystemTest, OfficialMark) {
  MakeArchive({{"a.txt", "a"}}, "pw");
  const std::map<std::string, bool> marks = {{"TRUE", true}, {"t", true},      {"1", true},
                                             {"0", false},   {"false", false}, {"yes", false}};
  for (const auto& [mark, expected] : marks) {
    system_.SetOfficial(Folder(), "data.kyp", "WIZMARK", mark);
    const ArchiveReader a = Read();
    EXPECT_EQ(a.index.extra.official, expected) << mark;
    EXPECT_EQ(a.index.extra.password, "pw");
    EXPECT_EQ(Content(a, "a.txt"), "a");
  }
  // A wrong code changes nothing at all.
  system_.SetOfficial(Folder(), "data.kyp", "TRUE", "1");
  const auto before = test::ReadHostFile(HostArchive());
  system_.SetOfficial(Folder(), "data.kyp", "other", "1");
  EXPECT_EQ(test::ReadHostFile(HostArchive()), before);
}

TEST_F(PakSystemTest, EmptyGroupStillRewritesTableAndReportsTheEnd) {
  MakeArchive({{"a.txt", "a"}}, "Pw1", true);
  MemorySource source;
  std::vector<std::string> events;
  PatchFeedback feedback;
  feedback.progress = [&](const std::string& n, uint32_t done, uint32_t total) {
    events.push_back(n + " " + std::to_string(done) + "/" + std::to_string(total));
  };
  feedback.finished = [&](const std::string& n) { events.push_back("done " + n); };
  system_.UpdateArchive(source, 4, Folder(), "data.kyp", "Pw1", feedback);
  EXPECT_EQ(events, (std::vector<std::string>{"data.kyp 0/0", "done data.kyp"}));
  EXPECT_EQ(Read().index.trailer, TrailerForm::Long);
}

TEST_F(PakSystemTest, ProgressTextFollowsWholePercentages) {
  MakeArchive({});
  MemorySource source;
  for (int i = 0; i < 3; ++i) source.Add(1, "f" + std::to_string(i), "x");
  std::vector<uint32_t> shown;
  std::vector<bool> repaints;
  PatchFeedback feedback;
  feedback.progress = [&](const std::string&, uint32_t done, uint32_t) { shown.push_back(done); };
  feedback.step = [&](bool repaint) { repaints.push_back(repaint); };
  system_.UpdateArchive(source, 1, Folder(), "data.kyp", "", feedback);
  EXPECT_EQ(shown, (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(repaints, (std::vector<bool>{false, true, true}));
}

TEST_F(PakSystemTest, SoundEntriesAreStoredInTheSoundFormAndDeclinedOnesSkipped) {
  MakeArchive({});
  MemorySource source;
  source.Add(1, "Sound\\tone.WAV", test::MakeWav({}, test::Tone(4096)));
  source.Add(1, "Sound\\broken.wav", "RIFF....");
  Update(source, 1, "");
  const ArchiveReader a = Read();
  ASSERT_EQ(a.index.entries.size(), 1u);
  EXPECT_EQ(a.index.entries[0].kind(), 1);
  EXPECT_EQ(a.index.entries[0].stored_size(), 58u + 1036u);
}

TEST_F(PakSystemTest, CorruptHeaderAndMissingArchive) {
  MakeArchive({{"a.txt", "a"}});
  std::string bytes = test::ReadHostFile(HostArchive());
  // Version 4 in the header block (the trailer here is long, 15 bytes).
  const size_t header = bytes.size() - 15 - 20;
  bytes[header + 8] = 4;
  test::WriteHostFile(HostArchive(), bytes);
  MemorySource source;
  EXPECT_THROW(Update(source, 1, ""), ArchiveFailure);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], "File " + Folder() + "\\data.kyp has corrupted header.");

  EXPECT_THROW(system_.UpdateArchive(source, 1, Folder(), "missing.kyp", ""), ArchiveCancelled);
  ASSERT_EQ(retries_.size(), 1u);
  EXPECT_EQ(retries_[0], "File not found: \"" + Folder() + "\\missing.kyp\".");
}

TEST_F(PakSystemTest, ReadOnlyArchiveIsMadeWritable) {
  MakeArchive({{"a.txt", "a"}});
  ASSERT_TRUE(platform::SetFileAttributes(ArchivePath(), platform::kAttributeReadOnly));
  MemorySource source;
  source.Add(1, "b.txt", "b");
  Update(source, 1, "");
  EXPECT_EQ(Content(Read(), "b.txt"), "b");
}

TEST_F(PakSystemTest, FailedWriteLeavesTheOldTable) {
  MakeArchive({{"a.txt", "a"}});
  const auto before = test::ReadHostFile(HostArchive());
  MemorySource source;
  source.Add(1, "big.bin", std::string(100000, 'z'));
  {
    // The first write of entry data fails as on a full disk; putting the old
    // tail back afterwards succeeds.
    bool armed = true;
    platform::ScopedFaultHook full([&armed](platform::FileOp op, std::string_view path) {
      if (!armed || op != platform::FileOp::Write ||
          path.find("journal") != std::string_view::npos ||
          path.find("data.kyp") == std::string_view::npos)
        return 0;
      armed = false;
      return 28;  // ENOSPC
    });
    EXPECT_THROW(Update(source, 1, ""), ArchiveFailure);
  }
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0].rfind("Disk full, ", 0), 0u);
  EXPECT_EQ(test::ReadHostFile(HostArchive()), before);
  EXPECT_FALSE(platform::FileExists(TPakSystem::JournalPath(ArchivePath())));
}

// SIGKILL at random points of a patch: afterwards the archive reads with its
// old or its new table and every entry has the right bytes.
TEST_F(PakSystemTest, KilledPatchLeavesOldOrNewTable) {
  std::vector<NewArchiveFile> original;
  for (int i = 0; i < 20; ++i)
    original.push_back({"f" + std::to_string(i), std::string(2000 + i, 'a' + i % 26)});
  MemorySource source;
  std::map<std::string, std::string> patched;
  for (int i = 0; i < 40; i += 2) {
    std::string content(3000 + 7 * i, 'A' + i % 26);
    source.Add(1, "f" + std::to_string(i), content);
    patched["f" + std::to_string(i)] = content;
  }
  for (int i = 100; i < 110; ++i) {
    source.Add(1, "g" + std::to_string(i), std::string(500, 'g'));
    patched["g" + std::to_string(i)] = std::string(500, 'g');
  }
  uint32_t seed = 12345;
  int old_seen = 0, new_seen = 0;
  for (int run = 0; run < 24; ++run) {
    MakeArchive(original);
    seed = seed * 1103515245 + 12345;
    // The patch passes 34 crash points; a draw past them lets it finish.
    const int kill_at = static_cast<int>(seed >> 16) % 44;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int calls = 0;
      system_.crash_point = [&](const char*) {
        if (calls++ == kill_at) raise(SIGKILL);
      };
      Update(source, 1, "");
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const ArchiveReader a = Read();
    const bool is_new = a.index.entries.size() == 40;
    ASSERT_TRUE(is_new || a.index.entries.size() == 20) << "run " << run;
    (is_new ? new_seen : old_seen)++;
    for (const auto& e : a.index.entries) {
      const std::string name = e.name();
      std::string expected;
      if (is_new && patched.count(name))
        expected = patched[name];
      else
        for (const auto& f : original)
          if (f.name == name) expected = f.content;
      EXPECT_EQ(Content(a, name), expected) << "run " << run << " entry " << name;
    }
  }
  EXPECT_GT(old_seen, 0);
  EXPECT_GT(new_seen, 0);
}

}  // namespace
}  // namespace wizpak::gamearchive
