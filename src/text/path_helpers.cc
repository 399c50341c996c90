#include "text/path_helpers.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "text/replace_all.h"
#include "text/run_texts.h"
#include "text/text_routines.h"

namespace wizpak {
namespace {

template <typename String, typename View, typename Convert>
String ExpandImpl(const RunFigures& folders, View text, std::string_view install_dir,
                  Convert convert) {
  String out(text);
  const String install = convert(install_dir);
  out = ReplaceAllText(View(out), convert("$INSTDIR"), View(install));
  out = ReplaceAllText(View(out), convert("$INSTALLDIR"), View(install));
  out = ReplaceAllText(View(out), convert("$SMPROGRAMS"), View(convert(folders.ProgramsFolder)));
  out = ReplaceAllText(View(out), convert("$PROGRAMFILES"),
                       View(convert(folders.ProgramFilesFolder)));
  out = ReplaceAllText(View(out), convert("$CDDRIVE"), View(convert(folders.CDDriveRoot)));
  return ReplaceAllText(View(out), convert("\\\\"), convert("\\"));
}

}  // namespace

std::string ExpandPathVariables(const RunFigures& folders, std::string_view text,
                                std::string_view install_dir) {
  return ExpandImpl<std::string, std::string_view>(
      folders, text, install_dir, [](std::string_view s) { return std::string(s); });
}

std::string ExpandPathVariables(const RunTexts& texts, std::string_view text) {
  return ExpandPathVariables(texts.figures, text, texts.record.InstallDir);
}

std::u16string ExpandPathVariables(const RunTexts& texts, std::u16string_view text) {
  return ExpandImpl<std::u16string, std::u16string_view>(
      texts.figures, text, texts.record.InstallDir,
      [](std::string_view s) { return AnsiToWide(s); });
}

std::string CompressPathVariables(const RunFigures& folders, std::string_view path,
                                  std::string_view install_dir) {
  std::string out(path);
  // An empty folder would match nowhere; skipping it keeps that explicit.
  if (!install_dir.empty()) out = ReplaceAllText(out, install_dir, "$INSTDIR");
  if (!folders.ProgramsFolder.empty())
    out = ReplaceAllText(out, folders.ProgramsFolder, "$SMPROGRAMS");
  if (!folders.ProgramFilesFolder.empty())
    out = ReplaceAllText(out, folders.ProgramFilesFolder, "$PROGRAMFILES");
  return out;
}

std::string CompressPathVariables(const RunTexts& texts, std::string_view path) {
  return CompressPathVariables(texts.figures, path, texts.record.InstallDir);
}

std::string IncludeBackslash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

std::pair<std::string, std::string> SplitNameValue(std::string_view text) {
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {std::string(), std::string(text)};
  return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}

std::optional<platform::RootKey> RootKeyFromIndex(int index) {
  if (index < 0 || index > 4) return std::nullopt;
  return static_cast<platform::RootKey>(index);
}

int32_t ParseIntOrMinusOne(std::string_view text) {
  return ParseInteger(text).value_or(-1);
}

std::string GetSpecialFolderPath(int csidl) {
  return platform::SpecialFolder(csidl);
}

std::string FindFirstCDDrive(std::string* error) {
  constexpr size_t kBufferChars = 129;
  const std::string drives = platform::LogicalDriveStrings();
  // The list and its final terminator must fit the buffer.
  if (drives.size() + 1 > kBufferChars) {
    if (error != nullptr) *error = std::string(kNotEnoughStorageMessage);
    return {};
  }
  for (size_t at = 0; at + 3 <= drives.size() && drives[at] != '\0'; at += 4) {
    const std::string root = drives.substr(at, 3);
    if (platform::GetDriveType(root) == platform::DriveType::CdRom) return root;
  }
  return {};
}

}  // namespace wizpak
