// The error report's text: its name pattern, its layout and the message that
// points the user to it. Pure functions of the facts they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/os_info.h"

namespace wizpak::diagnostics {

struct PackageFacts {
  std::string id;  // the 4 identifier bytes
  uint32_t version = 0;
  uint32_t count = 0;
  std::string file;  // package file path (program form)
};

struct ReportFacts {
  std::string setup_name;
  std::string setup_exe_name;
  // nullopt when no package could be opened.
  std::optional<PackageFacts> package;
  // argv as given (argument 0 first); ANSI.
  std::vector<std::string> arguments;
  OSFacts os;
  uint64_t total_physical_bytes = 0;
  uint32_t cpu_mhz = 0;
};

// "ErrorLog" + at least four digits + ".TXT".
std::string ErrorReportFileName(uint32_t number);

// The "Params" value: arguments 1.. upper-cased and joined by blanks; "/J"
// with the two arguments after it becomes "/j X X.X.X.X".
std::string ParamsText(const std::vector<std::string>& arguments);

// "%-22s : %s"
std::string ValueLine(std::string_view label, std::string_view value);

// The whole report, ANSI, every line ending in CR LF.
std::string FormatErrorReport(const ReportFacts& facts, std::string_view message,
                              std::string_view error_type);

// The text of the "Error Report" message box.
std::string ErrorReportMessage(std::string_view message, std::string_view error_type,
                               std::string_view report_path);

// round(low 32 bits of the counter difference / 500000): MHz from a 500 ms
// sample of the time-stamp counter.
uint32_t ClockMhzFromCounters(uint64_t before, uint64_t after);

}  // namespace wizpak::diagnostics
