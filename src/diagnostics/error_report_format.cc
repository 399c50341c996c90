#include "diagnostics/error_report_format.h"

#include <cmath>
#include <cstdio>

#include "platform/codepage.h"

namespace wizpak::diagnostics {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string TypeOrUnknown(std::string_view error_type) {
  return error_type.empty() ? std::string("Unknown") : std::string(error_type);
}

void Heading(std::string& out, std::string_view text) {
  out += text;
  out += kCrLf;
  out.append(text.size(), '-');
  out += kCrLf;
}

void Value(std::string& out, std::string_view label, std::string_view value) {
  out += ValueLine(label, value);
  out += kCrLf;
}

void Empty(std::string& out) {
  out += kCrLf;
}

}  // namespace

std::string ErrorReportFileName(uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "ErrorLog%04u.TXT", number);
  return name;
}

std::string ParamsText(const std::vector<std::string>& arguments) {
  std::string out;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string upper = AnsiUpper(arguments[i]);
    if (upper == "/J") {
      out += " /j X X.X.X.X";
      // The two arguments after "/J" are left out, but a "/J" among them
      // starts the replacement again.
      size_t skipped = 0;
      while (skipped < 2 && i + 1 < arguments.size()) {
        if (AnsiUpper(arguments[i + 1]) == "/J") break;
        ++i;
        ++skipped;
      }
      continue;
    }
    out += ' ';
    out += upper;
  }
  if (!out.empty() && out.front() == ' ') out.erase(0, 1);
  return out;
}

std::string ValueLine(std::string_view label, std::string_view value) {
  std::string out(label);
  if (out.size() < 22) out.append(22 - out.size(), ' ');
  out += " : ";
  out += value;
  return out;
}

std::string FormatErrorReport(const ReportFacts& facts, std::string_view message,
                              std::string_view error_type) {
  std::string out;
  Heading(out, "General Info");
  Value(out, "Setup Name", facts.setup_name);
  Value(out, "Setup EXE Name", facts.setup_exe_name);
  Empty(out);

  Heading(out, "Pak Info");
  if (facts.package) {
    Value(out, "ID", facts.package->id);
    Value(out, "Version", std::to_string(facts.package->version));
    Value(out, "Count", std::to_string(facts.package->count));
    // Where a second "Version" line once repeated the format version, the
    // report names the package file, which says more.
    Value(out, "Package File", facts.package->file);
  } else {
    Value(out, "ID", "(no package could be opened)");
    Value(out, "Version", "-");
    Value(out, "Count", "-");
  }
  Empty(out);

  Value(out, "ErrorType", TypeOrUnknown(error_type));
  Value(out, "ErrorText", message);
  Empty(out);

  const size_t count = facts.arguments.empty() ? 0 : facts.arguments.size() - 1;
  Value(out, "Params", ParamsText(facts.arguments));
  Value(out, "ParamCount", std::to_string(count));
  Empty(out);

  Heading(out, "Windows Info");
  Value(out, "Product", TOSInfo::ProductText(facts.os));
  Value(out, "BuildNumber", std::to_string(TOSInfo::BuildNumber(facts.os)));
  Value(out, "ServicePack", TOSInfo::ServicePackText(facts.os));
  Value(out, "ServicePackMajor", std::to_string(TOSInfo::ServicePackMajor(facts.os)));
  Value(out, "ServicePackMinor", std::to_string(TOSInfo::ServicePackMinor(facts.os)));
  Empty(out);

  const uint64_t megabytes = facts.total_physical_bytes / 1024 / 1024 + 1;
  Value(out, "Physical Memory", std::to_string(megabytes) + "MB");
  Value(out, "CPU Speed", std::to_string(facts.cpu_mhz) + "Mhz");
  return out;
}

std::string ErrorReportMessage(std::string_view message, std::string_view error_type,
                               std::string_view report_path) {
  std::string text = TypeOrUnknown(error_type);
  text += " Error: ";
  text += message;
  text += "\r\rError Log Created. Please Include \"";
  text += report_path;
  text += "\" with your bug report";
  return text;
}

uint32_t ClockMhzFromCounters(uint64_t before, uint64_t after) {
  const auto low = static_cast<uint32_t>((after - before) & 0xFFFFFFFFu);
  return static_cast<uint32_t>(std::lround(static_cast<double>(low) / 500000.0));
}

}  // namespace wizpak::diagnostics
