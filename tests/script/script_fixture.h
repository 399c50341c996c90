// Shared set-up for the tests that run whole compiled scripts: a private
// machine (drive map and hive), a fresh run object, an install
// folder, captured message boxes and status labels, and a small builder for
// compiled lines.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gui/message_box.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "support/test_support.h"
#include "text/status_sink.h"

namespace wizpak {
class TPak;
}

namespace wizpak::test {

// Builds compiled lines as the compiler writes them: each call adds the next
// line, live lines carry their own position.
class ScriptBuilder {
 public:
  // Returns the position of the added line.
  int Command(int32_t number, std::vector<std::string> params);
  int Label(const std::string& name);
  int Inert();
  int Position() const { return static_cast<int>(lines_.size()); }
  const std::vector<TCompLine>& Lines() const { return lines_; }

 private:
  std::vector<TCompLine> lines_;
};

// The status and finish labels of the run page, as their captions: what the
// script shows there. No gauge.
struct StatusCaptions final : StatusSink {
  std::u16string status;
  std::u16string sub_status;

  bool HasStatusCaption() const override { return true; }
  bool HasGauge() const override { return false; }
  void SetStatusCaption(std::u16string_view text, bool) override { status = text; }
  void SetSubStatusCaption(std::u16string_view text, bool) override { sub_status = text; }
  int32_t GaugePosition() const override { return 0; }
  void SetGaugeMaximum(int32_t) override {}
  bool SetGaugePosition(int32_t) override { return false; }
  void RepaintGaugeArea() override {}
};

class ScriptTest : public ::testing::Test {
 public:
  struct PackageFile {
    std::string name;
    uint16_t group = 0;
    std::string content;
  };

 protected:
  // Writes a setup file (a small image and a package of these files), opens
  // it and names it to the run and the uninstaller builder.
  ScriptTest();
  ~ScriptTest() override;

  // Loads `script` into the run's lines (through the writer and
  // reader, so the stored form is what runs) and runs it.
  ScriptRunResult Run(const ScriptBuilder& script);

  // The setup record fields the run reads.
  void SetRecord(const std::string& install_dir, bool create_uninstaller,
                 const std::string& prefix);

  // Loads the run's lines from `script` without running them.
  void Load(const ScriptBuilder& script);
  // Only the loop (no install folder, log or uninstaller).
  void LoadAndRunLines(const ScriptBuilder& script);

  // Adds a language made of these text lines (name, identifiers, strings)
  // and makes it current.
  void UseLanguage(const std::vector<std::string>& lines);

  void UsePackage(const std::vector<PackageFile>& files);
  // Rewrites the package's directory so that entry `index` records
  // `orig_size` as its content size (its stored bytes and CRC unchanged),
  // and opens it again.
  void ChangeRecordedSize(size_t index, uint32_t orig_size);

  // Host path of a program path on the test machine.
  std::string Host(const std::string& program_path) const;
  bool HostFileExists(const std::string& program_path) const;
  bool HostFolderExists(const std::string& program_path) const;

  // Queues answers for the next message boxes (else OK / Yes / Cancel).
  void Answer(gui::Answer answer) { answers_.push_back(answer); }

  std::vector<std::string> LoggedFiles() const;
  std::vector<std::string> LoggedDirectories() const;
  std::vector<std::string> LoggedRegistryEntries() const;

  static constexpr const char* kInstallDir = "C:\\Games\\Test";

  TestMachine machine_;
  StatusCaptions captions_;  // the run's status controls
  // A fresh run for every case.
  SetupRun run_;
  std::vector<gui::MessageBoxRequest> boxes_;

 private:
  std::deque<gui::Answer> answers_;
  std::unique_ptr<TPak> package_;
  std::string package_path_;
  gui::MessageBoxHandler previous_handler_;
};

}  // namespace wizpak::test
