#include "script_fixture.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "package/package_hooks.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "script/run_services.h"
#include "uninstall/uninstaller.h"
#include "text/language.h"
#include "text/status_progress.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::test {

int ScriptBuilder::Command(int32_t number, std::vector<std::string> params) {
  TCompLine line;
  line.Command = number;
  line.LineNumber = Position();
  line.ParamCount = static_cast<int32_t>(params.size());
  line.Params = std::move(params);
  lines_.push_back(std::move(line));
  return Position() - 1;
}

int ScriptBuilder::Label(const std::string& name) {
  return Command(kLabelCommand, {name});
}

int ScriptBuilder::Inert() {
  lines_.push_back(TCompLine{});
  return Position() - 1;
}

ScriptTest::ScriptTest() {
  run_.figures.ProgramsFolder = "C:\\ProgramData\\Start Menu\\Programs\\";
  run_.figures.ProgramFilesFolder = "C:\\Program Files\\";
  SetRecord(kInstallDir, false, "");
  // What start-up connects: extraction reports to the install log and status.
  PackageHooks& hooks = run_.package_hooks;
  hooks.add_file = [this](std::string_view path) { run_.install_log.AddFile(path); };
  hooks.add_directory = [this](std::string_view path) { run_.install_log.AddDirectory(path); };
  hooks.show_extract_status = [this](std::string_view name) {
    run_.status.ShowStatus(AnsiToWide(name), /*repaint=*/true);
  };
  run_.status.Controls = &captions_;
  previous_handler_ = gui::SetMessageBoxHandler([this](const gui::MessageBoxRequest& request) {
    boxes_.push_back(request);
    if (!answers_.empty()) {
      const gui::Answer answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    return gui::HeadlessAnswer(request);
  });
}

ScriptTest::~ScriptTest() {
  gui::SetMessageBoxHandler(previous_handler_);
}

void ScriptTest::SetRecord(const std::string& install_dir, bool create_uninstaller,
                           const std::string& prefix) {
  TSetupInfoFile& record = run_.record;
  record = TSetupInfoFile{};
  record.SetupName = "Test Game";
  record.ShortName = "Test Game";
  record.InstallDir = install_dir;
  record.CreateUninstaller = create_uninstaller ? 1 : 0;
  record.UninstallPrefix = prefix;
  record.UninstallExeName = prefix + "Uninstall.exe";
}

void ScriptTest::UsePackage(const std::vector<PackageFile>& files) {
  const std::string path = machine_.root().file("setup.exe");
  WriteHostFile(path, "MZ-program-image");
  {
    TPak writer(path, /*append=*/true, /*create_new=*/false);
    for (const PackageFile& file : files) {
      ASSERT_TRUE(writer.StoreFromMemory(writer.AddEntry(file.name, file.name, file.group),
                                         file.content.data(), file.content.size()));
    }
    ASSERT_TRUE(writer.WriteDirectory());
  }
  package_ = std::make_unique<TPak>(path, false, false);
  ASSERT_TRUE(package_->HasPackage());
  package_path_ = path;
  run_.package = RunningPackage{package_.get(), path, false};
}

void ScriptTest::ChangeRecordedSize(size_t index, uint32_t orig_size) {
  ASSERT_TRUE(package_);
  const std::vector<TPakEntry> entries = package_->Entries;
  ASSERT_LT(index, entries.size());
  // Directory records follow the last entry's bytes: a 2-byte name length,
  // the name, then 18 bytes with the content size at offset 12.
  size_t at = entries.back().Offset + entries.back().StoredLength();
  for (size_t r = 0; r < index; ++r) at += 2 + entries[r].Name.size() + 18;
  at += 2 + entries[index].Name.size() + 12;
  std::string bytes = ReadHostFile(package_path_);
  ASSERT_LE(at + 4, bytes.size());
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(orig_size >> (8 * i));
  package_.reset();
  WriteHostFile(package_path_, bytes);
  package_ = std::make_unique<TPak>(package_path_, false, false);
  ASSERT_TRUE(package_->HasPackage());
  ASSERT_EQ(package_->Entries[index].OrigSize, orig_size);
  run_.package = RunningPackage{package_.get(), package_path_, false};
}

ScriptRunResult ScriptTest::Run(const ScriptBuilder& script) {
  Load(script);
  ScriptRunOptions options;
  options.write_error_report = false;
  return RunScript(run_, options);
}

void ScriptTest::LoadAndRunLines(const ScriptBuilder& script) {
  Load(script);
  RunScriptLines(run_);
}

void ScriptTest::UseLanguage(const std::vector<std::string>& lines) {
  std::u16string text = u"\xFEFF";
  for (const std::string& line : lines) text += Utf8ToWide(line) + u"\r\n";
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  TLanguages& languages = run_.languages;
  const LanguageLoadResult loaded = languages.AddLanguage(bytes.data(), bytes.size());
  ASSERT_TRUE(loaded.ok) << loaded.message;
  languages.Current = static_cast<int32_t>(languages.Items.size()) - 1;
}

void ScriptTest::Load(const ScriptBuilder& script) {
  TCompLines written;
  written.Lines = script.Lines();
  const std::string bytes = written.SaveToBuffer();
  const CompLinesLoadResult loaded = run_.lines.LoadFromBuffer(bytes.data(), bytes.size());
  EXPECT_TRUE(loaded.ok) << loaded.message;
}

std::string ScriptTest::Host(const std::string& program_path) const {
  return platform::ToHostPath(program_path).value_or("");
}

bool ScriptTest::HostFileExists(const std::string& program_path) const {
  return platform::FileExists(program_path);
}

bool ScriptTest::HostFolderExists(const std::string& program_path) const {
  return platform::DirectoryExists(program_path);
}

std::vector<std::string> ScriptTest::LoggedFiles() const {
  return run_.install_log.Files();
}
std::vector<std::string> ScriptTest::LoggedDirectories() const {
  return run_.install_log.Directories();
}
std::vector<std::string> ScriptTest::LoggedRegistryEntries() const {
  return run_.install_log.RegistryEntries();
}

}  // namespace wizpak::test
