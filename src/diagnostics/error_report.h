// Writing the error report: the next free ErrorLog file in the temporary
// folder, the "Error Report" message box, and opening the file with the
// desktop's default handler. Set WIZPAK_NO_OPEN=1 to keep it from being
// opened (tests, unattended runs).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "diagnostics/error_report_format.h"

namespace wizpak::diagnostics {

// What the running setup knows about itself (the run asks start-up for it
// once the package and setup record are loaded). Empty: the report says no
// package was opened and leaves the setup names empty.
struct ReportContext {
  std::string setup_name;
  std::string setup_exe_name;
  std::optional<PackageFacts> package;
};

// The facts of this machine and of the run `context` describes (measures the
// processor clock: blocks for about a second).
ReportFacts GatherReportFacts(ReportContext context);

// The first "ErrorLogNNNN.TXT" that does not exist in `folder` (program form,
// with trailing "\"), as a full path.
std::string NextErrorReportPath(std::string_view folder);

// Writes `report` (already formatted) as the next report file in `folder`.
// Returns its path, or "" when it could not be written.
std::string WriteReportFile(std::string_view folder, std::string_view report);

// The whole job: gathers the facts, writes the report into the temporary
// folder, shows the message box and opens the file. ANSI texts; the type may
// be empty ("Unknown"). Returns the report's path, "" when it could not be
// written (the message box then says so instead).
std::string WriteErrorReport(ReportContext context, std::string_view message,
                             std::string_view error_type);

// Time-stamp counter over 500 ms, measured twice, the larger kept.
uint32_t MeasureCpuMhz();

}  // namespace wizpak::diagnostics
