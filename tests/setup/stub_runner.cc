#include "setup/stub_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "package/pak.h"
#include "package/setup_info.h"
#include "platform/paths.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "support/test_support.h"

namespace wizpak::test {
namespace {

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

}  // namespace

std::string StubPath() {
  return BuildDir() + "/wizpak-stub";
}

StubRun RunStub(const std::string& program, const std::vector<std::string>& args,
                const std::string& work_dir, const std::string& answers) {
  const std::string transcript = work_dir + "/transcript";
  const std::string errors = work_dir + "/stderr";
  std::string command = "WIZPAK_TRANSCRIPT=" + ShellQuote(transcript) +
                        " WIZPAK_NO_OPEN=1 TMPDIR=" + ShellQuote(work_dir) +
                        " WIZPAK_ANSWERS=" + ShellQuote(answers) + " " + ShellQuote(program) +
                        " --ui=headless";
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " 2>" + ShellQuote(errors) + " </dev/null";
  std::remove(transcript.c_str());
  const int status = std::system(command.c_str());
  StubRun run;
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.transcript = ReadHostFile(transcript);
  run.stderr_text = ReadHostFile(errors);
  return run;
}

void WritePackage(const std::string& path, const std::string& image,
                  const std::vector<PackageEntrySpec>& entries) {
  WriteHostFile(path, image);
  {
    TPak pak(path, !image.empty(), image.empty());
    if (!pak.IsOpen()) throw std::runtime_error("cannot write " + path);
    for (const PackageEntrySpec& entry : entries) {
      const uint32_t index = pak.AddEntry(entry.name, "", entry.group);
      if (!pak.StoreFromMemory(index, entry.content.data(), entry.content.size())) {
        throw std::runtime_error("cannot store " + entry.name);
      }
    }
    if (!pak.WriteDirectory()) throw std::runtime_error("cannot finish " + path);
    pak.Close();
  }
}

StoredSpan StoredBytesOf(const std::string& path, uint32_t index) {
  TPak pak(path, false, false);
  if (index >= pak.Entries.size()) throw std::runtime_error("no such entry");
  const TPakEntry& entry = pak.Entries[index];
  return StoredSpan{entry.Offset, entry.StoredLength()};
}

std::string SetupRecordBytes(const RecordSpec& fields) {
  TSetupInfoFile record;
  record.SetupName = fields.setup_name;
  record.ShortName = fields.setup_name;
  record.SetupExeName = fields.setup_exe_name;
  record.UninstallExeName = fields.uninstall_prefix + "Uninstall.exe";
  record.UninstallPrefix = fields.uninstall_prefix;
  record.InstallDir = fields.install_dir;
  record.InstallDirRegKey.HKEY = fields.root_index;
  record.InstallDirRegKey.Path = fields.key_path;
  record.InstallDirRegKey.Key = fields.key_name;
  record.IsUninstaller = fields.is_uninstaller;
  return record.SaveToBuffer();
}

std::string InertScriptBytes() {
  TCompLines lines;
  lines.Lines.push_back(TCompLine{});
  return lines.SaveToBuffer();
}

std::string FileLineScriptBytes() {
  TCommandList commands;
  RegisterCommands(commands);
  TCompLine line;
  line.Command = commands.NumberOfKeyword("file");
  if (line.Command <= 0) throw std::runtime_error("no file command");
  line.Params = {"$INSTDIR"};
  line.ParamCount = 1;
  line.LineNumber = 0;
  TCompLines lines;
  lines.Lines.push_back(line);
  return lines.SaveToBuffer();
}

}  // namespace wizpak::test
