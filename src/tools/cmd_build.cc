// wizpak build SCRIPT [-o OUT]: compiles a script and writes the setup.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "compiler/compiler.h"
#include "compiler/file_groups.h"
#include "compiler/package_builder.h"
#include "compiler/path_join.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "tools/progress.h"
#include "tools/subcommands.h"

namespace wizpak::tools {
namespace {

constexpr const char* kUsage =
    "usage: wizpak build SCRIPT [-o OUT] [--threads N] [--target=linux|windows]\n"
    "                    [--stub-dir DIR] [--follow-links]\n"
    "\n"
    "Compiles the install script SCRIPT and writes the setup executable: a copy\n"
    "of wizpak-stub followed by the package. The output is named by the script's\n"
    "\"outfile\" line and written next to the script, unless -o names it.\n"
    "Page sets (layout/SET/), language files (languages/NAME.wri), wizpak-stub\n"
    "and wizpak-finalise are taken from the folder of the wizpak executable\n"
    "(for --target=windows: wizpak-stub.exe and wizpak-finalise.exe from its\n"
    "windows/ folder, which scripts/build-windows.sh fills).\n"
    "\n"
    "  -o OUT              write the setup to OUT\n"
    "  --threads N         compress on N threads (default 2); the output is the same\n"
    "  --target=T          linux (default) or windows: the programs the setup is\n"
    "                      made of; the package is the same bytes for both\n"
    "  --stub-dir DIR      take the two programs from DIR instead\n"
    "  --follow-links      pack what links in source folders lead to without a\n"
    "                      warning when they lead outside the source folder\n"
    "\n"
    "Errors and warnings read FILE:LINE: message, LINE counted from 1 as an\n"
    "editor shows it (compiled positions count from 0). Exit status 0 when the\n"
    "setup was written, 1 on errors (no output is left then), 2 on bad usage.\n";

// Program form of a host path given on the command line, made absolute.
std::string ProgramPathOfArgument(const std::string& argument) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(argument, ec);
  if (ec) path = argument;
  return platform::FromHostPath(path.lexically_normal().string());
}

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
  return text;
}

}  // namespace

int RunBuild(const Args& args) {
  std::string script;
  std::string output;
  int threads = 2;
  std::string target = "linux";
  std::string stub_dir;
  bool follow_links = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--follow-links") {
      follow_links = true;
    } else if (arg.rfind("--target=", 0) == 0) {
      target = arg.substr(9);
      if (target != "linux" && target != "windows") {
        std::fprintf(stderr, "wizpak build: --target takes linux or windows, not %s\n",
                     target.c_str());
        return 2;
      }
    } else if ((arg == "-o" || arg == "--threads" || arg == "--stub-dir") && i + 1 < args.size()) {
      if (arg == "--stub-dir") {
        stub_dir = args[++i];
      } else if (arg == "-o") {
        output = args[++i];
      } else {
        threads = std::atoi(args[++i].c_str());
        if (threads < 1 || threads > 64) {
          std::fprintf(stderr, "wizpak build: --threads takes 1 to 64\n");
          return 2;
        }
      }
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "wizpak build: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else if (script.empty()) {
      script = arg;
    } else {
      std::fprintf(stderr, "wizpak build: more than one script given\n%s", kUsage);
      return 2;
    }
  }
  if (script.empty()) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }

  const std::string script_path = ProgramPathOfArgument(script);
  const auto text = platform::ReadFileBytes(script_path);
  if (!text) {
    std::fprintf(stderr, "%s: cannot read the script (%s)\n", script.c_str(),
                 platform::LastErrorText().c_str());
    return 1;
  }
  compiler::CompilerSettings settings;
  settings.source_folder = compiler::FolderOf(script_path);
  settings.tool_folder = compiler::FolderOf(platform::ExecutablePath());
  settings.follow_links = follow_links;
  compiler::TCompiler compiled = compiler::CompileSource(*text, settings);
  for (const compiler::Diagnostic& d : compiled.diagnostics) {
    std::fprintf(stderr, "%s\n", compiler::FormatDiagnostic(script, d).c_str());
  }
  if (compiled.HasErrors()) return 1;

  std::string output_path;
  if (!output.empty()) {
    output_path = ProgramPathOfArgument(output);
  } else {
    const std::string& name = compiled.setup_info.SetupExeName;
    if (name.empty()) {
      std::fprintf(stderr, "%s: no \"outfile\" line names the setup; add one or give -o OUT\n",
                   script.c_str());
      return 1;
    }
    if (name.find_first_of("\\/") != std::string::npos || compiler::IsUnsafeEntryName(name)) {
      std::fprintf(stderr, "%s: \"outfile\" must be a plain file name - %s\n", script.c_str(),
                   name.c_str());
      return 1;
    }
    output_path = compiler::JoinProgramPath(settings.source_folder, name);
  }

  // A setup built into its own payload folder must not carry its older self.
  compiler::ExcludeGroupFile(output_path, compiled.files);

  compiler::ToolLayout tools;
  tools.tool_folder = settings.tool_folder;
  // The programs the setup is made of: the Linux ones beside this tool, or
  // the Windows ones from the windows/ folder beside it (or --stub-dir).
  const bool windows = target == "windows";
  std::string program_folder = settings.tool_folder;
  if (!stub_dir.empty()) {
    program_folder = ProgramPathOfArgument(stub_dir);
  } else if (windows) {
    program_folder = compiler::JoinProgramPath(settings.tool_folder, "windows");
  }
  const char* suffix = windows ? ".exe" : "";
  tools.stub_path = compiler::JoinProgramPath(program_folder, std::string("wizpak-stub") + suffix);
  tools.finalise_path =
      compiler::JoinProgramPath(program_folder, std::string("wizpak-finalise") + suffix);
  if (windows && !platform::FileExists(tools.stub_path)) {
    std::fprintf(stderr,
                 "wizpak build: no Windows setup runtime at %s; run scripts/build-windows.sh "
                 "or give --stub-dir\n",
                 platform::ToHostPath(tools.stub_path).value_or(tools.stub_path).c_str());
    return 1;
  }
  std::vector<compiler::PackageItem> items;
  std::string error;
  if (!compiler::AssemblePackage(compiled, tools, items, error)) {
    std::fprintf(stderr, "%s: %s\n", script.c_str(), error.c_str());
    return 1;
  }
  compiler::WriteOptions options;
  options.threads = threads;
  uint64_t shown = 0;
  std::optional<ProgressBar> bar;
  options.progress = [&](std::size_t, std::size_t, uint64_t done, uint64_t total) {
    if (!bar) bar.emplace("build", total);
    bar->Advance(done - shown);
    shown = done;
  };
  compiler::BuildSummary summary;
  const bool written =
      compiler::WriteSetup(tools.stub_path, items, output_path, options, summary, error);
  if (bar) bar->Finish();
  if (!written) {
    std::fprintf(stderr, "%s: %s\n", script.c_str(), error.c_str());
    return 1;
  }
  const double ratio = summary.content_bytes == 0
                           ? 1.0
                           : double(summary.stored_bytes) / double(summary.content_bytes);
  const std::string shown_path = platform::ToHostPath(output_path).value_or(output_path);
  std::printf("%s: %zu entries, %s stored as %s (%.1f%%), setup %s\n", shown_path.c_str(),
              summary.entries, Megabytes(summary.content_bytes).c_str(),
              Megabytes(summary.stored_bytes).c_str(), ratio * 100.0,
              Megabytes(summary.file_size).c_str());
  return 0;
}

}  // namespace wizpak::tools
