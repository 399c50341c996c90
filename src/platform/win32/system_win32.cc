// What the machine is, from the Windows API: the user's UI language, the
// real version record (RtlGetVersion, which a missing manifest cannot
// hide), memory status, tick counters and scheduling priorities.
#include <intrin.h>

#include <clocale>
#include <cstdlib>

#include "platform/system.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform {

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

// A hex language id such as "0407"; 0 when the text is not one.
uint16_t ParseLangId(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 16);
  if (*end != '\0' || value == 0 || value > 0xFFFF) return 0;
  return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t SystemDefaultLangID() {
  // The same override the other platform honours, so a test can pick the
  // language of a run.
  if (uint16_t chosen = ParseLangId(std::getenv("WIZPAK_LANGID"))) return chosen;
  return static_cast<uint16_t>(GetUserDefaultUILanguage());
}

VersionRecord GetVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  bool known = false;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto rtl_get_version = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    known = rtl_get_version != nullptr && rtl_get_version(&info) == 0;
  }
  if (!known) {
    info = OSVERSIONINFOW{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    known = GetVersionExW(&info) != FALSE;
#pragma GCC diagnostic pop
  }
  VersionRecord record;
  if (!known) return record;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.build = info.dwBuildNumber;
  record.platform_id = info.dwPlatformId;
  record.csd_version = win32::WideToAcp(info.szCSDVersion);
  return record;
}

MemoryStatus GetMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  MemoryStatus out;
  if (!GlobalMemoryStatusEx(&status)) return out;
  out.memory_load = status.dwMemoryLoad;
  out.total_physical = status.ullTotalPhys;
  out.available_physical = status.ullAvailPhys;
  out.total_page_file = status.ullTotalPageFile;
  out.available_page_file = status.ullAvailPageFile;
  out.total_virtual = status.ullTotalVirtual;
  out.available_virtual = status.ullAvailVirtual;
  return out;
}

uint32_t TickCount() {
  return GetTickCount();
}

// The performance counter rather than GetTickCount64: the tick count moves
// in steps of 10-16 ms, too coarse for timing short waits.
uint64_t MonotonicMilliseconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !QueryPerformanceCounter(&now)) {
    return GetTickCount64();
  }
  const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
  const uint64_t per_second = static_cast<uint64_t>(frequency.QuadPart);
  return ticks / per_second * 1000 + ticks % per_second * 1000 / per_second;
}

uint64_t TimeStampCounter() {
  return __rdtsc();
}

std::string ThreadPriorityName() {
  switch (GetThreadPriority(GetCurrentThread())) {
    case THREAD_PRIORITY_IDLE:
      return "Idle";
    case THREAD_PRIORITY_LOWEST:
      return "Lowest";
    case THREAD_PRIORITY_BELOW_NORMAL:
      return "Below Normal";
    case THREAD_PRIORITY_NORMAL:
      return "Normal";
    case THREAD_PRIORITY_ABOVE_NORMAL:
      return "Above Normal";
    case THREAD_PRIORITY_HIGHEST:
      return "Highest";
    case THREAD_PRIORITY_TIME_CRITICAL:
      return "Time Critical";
    default:
      return "Unknown";
  }
}

std::string ProcessPriorityName() {
  switch (GetPriorityClass(GetCurrentProcess())) {
    case IDLE_PRIORITY_CLASS:
      return "Idle";
    case BELOW_NORMAL_PRIORITY_CLASS:
      return "Below Normal";
    case NORMAL_PRIORITY_CLASS:
      return "Normal";
    case ABOVE_NORMAL_PRIORITY_CLASS:
      return "Above Normal";
    case HIGH_PRIORITY_CLASS:
      return "High";
    case REALTIME_PRIORITY_CLASS:
      return "Realtime";
    default:
      return "Unknown";
  }
}

bool DisplayConfigured() {
  // A Windows session always has a desktop to show windows on.
  return true;
}

void UseClassicNumberFormatting() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace wizpak::platform
