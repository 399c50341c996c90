#include "diagnostics/error_report.h"

#include <algorithm>
#include <cstdlib>

#include "gui/message_box.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/system.h"

namespace wizpak::diagnostics {
namespace {

// Far more reports than anyone keeps; the search always ends.
constexpr uint32_t kMaxReportNumber = 1'000'000;

bool OpeningSuppressed() {
  const char* value = std::getenv("WIZPAK_NO_OPEN");
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

uint32_t MeasureOnce() {
  platform::SleepMilliseconds(10);
  const uint64_t before = platform::TimeStampCounter();
  platform::SleepMilliseconds(500);
  const uint64_t after = platform::TimeStampCounter();
  return ClockMhzFromCounters(before, after);
}

}  // namespace

uint32_t MeasureCpuMhz() {
  return std::max(MeasureOnce(), MeasureOnce());
}

ReportFacts GatherReportFacts(ReportContext context) {
  ReportFacts facts;
  facts.setup_name = std::move(context.setup_name);
  facts.setup_exe_name = std::move(context.setup_exe_name);
  facts.package = std::move(context.package);
  facts.arguments = platform::CommandLine();
  facts.os = CurrentOSFacts();
  facts.total_physical_bytes = platform::GetMemoryStatus().total_physical;
  facts.cpu_mhz = MeasureCpuMhz();
  return facts;
}

std::string NextErrorReportPath(std::string_view folder) {
  std::string base(folder);
  // A host path (leading "/") keeps host separators.
  if (!base.empty() && base.back() != '\\' && base.back() != '/') {
    base += base.front() == '/' ? '/' : '\\';
  }
  for (uint32_t n = 0; n < kMaxReportNumber; ++n) {
    std::string path = base + ErrorReportFileName(n);
    if (!platform::FileExists(path) && !platform::DirectoryExists(path)) return path;
  }
  return "";
}

std::string WriteReportFile(std::string_view folder, std::string_view report) {
  const std::string path = NextErrorReportPath(folder);
  if (path.empty()) return "";
  platform::File file = platform::File::Open(path, platform::OpenMode::Create);
  if (!file) return "";
  if (!file.Write(report)) {
    file.Close();
    platform::DeleteFile(path);
    return "";
  }
  file.Close();
  return path;
}

std::string WriteErrorReport(ReportContext context, std::string_view message,
                             std::string_view error_type) {
  const ReportFacts facts = GatherReportFacts(std::move(context));
  const std::string report = FormatErrorReport(facts, message, error_type);
  const std::string path = WriteReportFile(platform::TempFolder(), report);
  if (path.empty()) {
    // Nowhere to write: the user still learns what went wrong.
    std::string text = error_type.empty() ? std::string("Unknown") : std::string(error_type);
    text += " Error: ";
    text += message;
    text += "\r\rThe error log could not be written: ";
    text += platform::LastErrorText();
    gui::MessageBox(text, "Error Report");
    return "";
  }
  gui::MessageBox(ErrorReportMessage(message, error_type, path), "Error Report");
  if (!OpeningSuppressed()) platform::OpenWithDefaultHandler(path);
  return path;
}

}  // namespace wizpak::diagnostics
