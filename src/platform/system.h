// What the machine is: language, version, memory, clocks, display. The
// stand-in for GetSystemDefaultLangID, GetVersionExA, GlobalMemoryStatus and
// the tick counters.
#pragma once

#include <cstdint>
#include <string>

namespace wizpak::platform {

// WIZPAK_LANGID (hex), else derived from LC_ALL / LC_MESSAGES / LANG
// (en_US -> 0x0409, de_DE -> 0x0407, pl_PL -> 0x0415, ...), else 0x0409.
uint16_t SystemDefaultLangID();

// The fields of Windows OSVERSIONINFOA. On Linux PlatformId is 3 (not a
// Windows platform) and CSDVersion carries "Linux <release> <machine>".
struct VersionRecord {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;  // 0 Win32s, 1 Windows 9x, 2 Windows NT, other: not Windows
  std::string csd_version;
};
VersionRecord GetVersion();

struct MemoryStatus {
  uint32_t memory_load = 0;  // percent in use
  uint64_t total_physical = 0;
  uint64_t available_physical = 0;
  uint64_t total_page_file = 0;
  uint64_t available_page_file = 0;
  uint64_t total_virtual = 0;
  uint64_t available_virtual = 0;
};
MemoryStatus GetMemoryStatus();

// Milliseconds since boot (Windows GetTickCount).
uint32_t TickCount();
// Monotonic milliseconds for measuring durations.
uint64_t MonotonicMilliseconds();
// The processor's time-stamp counter (0 where there is none).
uint64_t TimeStampCounter();

// Scheduling priority names as Windows reports them ("Normal", ...).
std::string ThreadPriorityName();
std::string ProcessPriorityName();

// True when an X display can be reached ($DISPLAY set and XOpenDisplay works
// is the toolkit's job; this only checks that DISPLAY or WAYLAND_DISPLAY is set).
bool DisplayConfigured();

// Sets the C library's numeric formatting to "C" so "." is the decimal
// separator whatever the user's locale.
void UseClassicNumberFormatting();

}  // namespace wizpak::platform
