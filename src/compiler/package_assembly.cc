// AssemblePackage: the fixed order of a setup's entries.
#include "compiler/file_groups.h"
#include "compiler/package_builder.h"
#include "compiler/path_join.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_bounds.h"

namespace wizpak::compiler {
namespace {

constexpr std::size_t kMaxEntries = 65535;

// Every file of layout/<set>/ (below it too), named relative to the folder.
bool AddPageSet(const ToolLayout& tools, const std::string& set, const std::string& prefix,
                bool skip_icon, std::vector<PackageItem>& items, std::string& error) {
  const std::string folder = JoinProgramPath(tools.tool_folder, "layout\\" + set);
  if (!platform::DirectoryExists(folder)) {
    error = "Page set not found - " + set + " (no folder " + folder + ")";
    return false;
  }
  TCompilerFileList found;
  error = AddSourceToGroup(folder, 0, found);
  if (!error.empty()) return false;
  for (TCompilerFile& file : found.files) {
    if (skip_icon && AsciiLower(file.name) == "icon.ico") continue;
    items.push_back({prefix + file.name, 0, std::move(file.source_path), {}});
  }
  return true;
}

}  // namespace

bool AssemblePackage(const TCompiler& compiler, const ToolLayout& tools,
                     std::vector<PackageItem>& items, std::string& error) {
  items.clear();
  const TSetupInfoFile& info = compiler.setup_info;

  for (const std::string* field :
       {&info.SetupName, &info.ShortName, &info.SetupExeName, &info.UninstallExeName,
        &info.UninstallPrefix, &info.InstallDir, &info.Changelog, &info.InstallDirRegKey.Path,
        &info.InstallDirRegKey.Key, &info.Pages, &info.UninstallPages}) {
    if (field->size() > 0xFFFF) {
      error = "A setup property is longer than 65,535 bytes: " + field->substr(0, 40) + "...";
      return false;
    }
  }
  PackageItem setup_info{"SetupInfo", 0, {}, {}};
  setup_info.bytes = info.SaveToBuffer();
  items.push_back(std::move(setup_info));

  PackageItem lines{"CompiledLines", 0, {}, {}};
  if (!compiler.lines.SaveToBuffer(lines.bytes)) {
    error = "The compiled script is too large to store";
    return false;
  }
  items.push_back(std::move(lines));

  for (const TCompilerFile& file : compiler.files.files) {
    if (file.group == 0) items.push_back({file.name, 0, file.source_path, {}});
  }

  // The change log page's rich edit loads "<%CHANGELOG%>": the entry is named
  // by the record's Changelog field (the file's path) and holds the file.
  if (!info.Changelog.empty()) items.push_back({info.Changelog, 0, info.Changelog, {}, true});

  if (!info.Pages.empty() && !AddPageSet(tools, info.Pages, "", false, items, error)) return false;

  if (info.CreateUninstaller != 0) {
    if (!AddPageSet(tools, info.UninstallPages, "UNINSTALL_", true, items, error)) return false;
    if (!platform::FileExists(tools.finalise_path)) {
      error = "wizpak-finalise not found - " + tools.finalise_path;
      return false;
    }
    items.push_back({"UNINSTALL_FINALISE.EXE", 0, tools.finalise_path, {}});
    if (!info.Pages.empty()) {
      const std::string icon =
          JoinProgramPath(tools.tool_folder, "layout\\" + info.Pages + "\\icon.ico");
      if (platform::FileExists(icon)) items.push_back({"UNINSTALL_ICON.ICO", 0, icon, {}});
    }
  }

  for (const TCompilerFile& file : compiler.files.files) {
    if (file.group != 0) items.push_back({file.name, file.group, file.source_path, {}});
  }

  for (const PackageItem& item : items) {
    // Control characters and names beyond Windows' bounds first: the
    // setup would refuse them as damage.
    const std::string fault = platform::PathTextFault(item.name);
    if (!fault.empty()) {
      error = "Entry name " + fault + " - " + platform::VisibleText(item.name) +
              (item.source_path.empty() ? std::string() : " (from " + item.source_path + ")");
      return false;
    }
    if (!item.lookup_only && IsUnsafeEntryName(item.name)) {
      error = "Entry name could be written outside its folder - " + item.name;
      return false;
    }
  }
  if (items.size() > kMaxEntries) {
    error = "A package holds at most 65,535 entries; this one would hold " +
            std::to_string(items.size());
    return false;
  }
  return true;
}

}  // namespace wizpak::compiler
