#include "platform/system.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/language_ids.h"

namespace wizpak::platform {

namespace {

// Parses "0407" or "0x0407"; nullopt for anything else or 0.
std::optional<uint16_t> ParseHexLangId(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  if (text.empty() || text.size() > 4) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value |= static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value |= static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
  }
  if (value == 0) return std::nullopt;
  return static_cast<uint16_t>(value);
}

const char* NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// The text of a small /proc file ("" when it cannot be read). Plain reads
// rather than a file stream: the programs copied into every setup link the
// C++ runtime statically, and a stream pulls in all of its locale support.
std::string ReadProcFile(const char* path) {
  std::string text;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return text;
}

uint64_t ReadMemInfoKiB(const char* field) {
  const std::string text = ReadProcFile("/proc/meminfo");
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict
  // overlap for a literal + string concatenation here.
  std::string prefix(1, '\n');
  prefix.append(field).push_back(':');
  std::string lines(1, '\n');
  lines.append(text);
  const size_t at = lines.find(prefix);
  if (at == std::string::npos) return 0;
  return std::strtoull(lines.c_str() + at + prefix.size(), nullptr, 10);
}

// Windows priority classes by nice value.
std::string PriorityClassName(int nice) {
  if (nice >= 15) return "Idle";
  if (nice >= 5) return "Below Normal";
  if (nice > -5) return "Normal";
  if (nice > -15) return "Above Normal";
  return "High";
}

// Windows thread priority levels by a thread's nice value relative to its
// process (lower nice is higher priority).
std::string ThreadPriorityLevelName(int delta) {
  if (delta >= 15) return "Idle";
  if (delta >= 2) return "Lowest";
  if (delta >= 1) return "Below Normal";
  if (delta == 0) return "Normal";
  if (delta >= -1) return "Above Normal";
  if (delta > -15) return "Highest";
  return "Time Critical";
}

uint64_t OwnVirtualSize() {
  const uint64_t pages = std::strtoull(ReadProcFile("/proc/self/statm").c_str(), nullptr, 10);
  return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

uint16_t SystemDefaultLangID() {
  if (const char* forced = NonEmptyEnv("WIZPAK_LANGID")) {
    if (const auto id = ParseHexLangId(forced)) return *id;
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* locale = NonEmptyEnv(name)) {
      // The first variable set decides, as in the C library.
      return LangIdFromLocale(locale).value_or(kLangIdEnglishUS);
    }
  }
  return kLangIdEnglishUS;
}

VersionRecord GetVersion() {
  VersionRecord record;
  record.platform_id = 3;
  struct utsname names {};
  if (uname(&names) != 0) return record;
  // "6.1.0-18-amd64" -> 6, 1, 0.
  uint32_t* fields[] = {&record.major, &record.minor, &record.build};
  const char* cursor = names.release;
  for (uint32_t* field : fields) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(cursor, &end, 10);
    if (end == cursor) break;
    *field = static_cast<uint32_t>(value);
    if (*end != '.') break;
    cursor = end + 1;
  }
  record.csd_version = std::string(names.sysname) + " " + names.release + " " + names.machine;
  return record;
}

MemoryStatus GetMemoryStatus() {
  MemoryStatus status;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return status;
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  status.total_physical = static_cast<uint64_t>(info.totalram) * unit;
  const uint64_t available_kib = ReadMemInfoKiB("MemAvailable");
  status.available_physical = available_kib
                                  ? available_kib * 1024
                                  : (static_cast<uint64_t>(info.freeram) + info.bufferram) * unit;
  if (status.available_physical > status.total_physical) {
    status.available_physical = status.total_physical;
  }
  // Windows' page file figures are the commit limit: memory plus swap.
  status.total_page_file = status.total_physical + static_cast<uint64_t>(info.totalswap) * unit;
  status.available_page_file =
      status.available_physical + static_cast<uint64_t>(info.freeswap) * unit;
  if (status.total_physical > 0) {
    status.memory_load =
        static_cast<uint32_t>(100 - status.available_physical * 100 / status.total_physical);
  }
  // The user part of the address space (47 bits on x86-64 Linux).
  status.total_virtual = sizeof(void*) >= 8 ? (uint64_t{1} << 47) : (uint64_t{3} << 30);
  const uint64_t used = OwnVirtualSize();
  status.available_virtual = used < status.total_virtual ? status.total_virtual - used : 0;
  return status;
}

uint32_t TickCount() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  return static_cast<uint32_t>(ms);  // wraps after 49.7 days, as on Windows
}

uint64_t MonotonicMilliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

uint64_t TimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_ia32_rdtsc();
#else
  return 0;
#endif
}

std::string ProcessPriorityName() {
  const int policy = sched_getscheduler(0);
  if (policy == SCHED_FIFO || policy == SCHED_RR) return "Realtime";
  return PriorityClassName(getpriority(PRIO_PROCESS, static_cast<id_t>(getpid())));
}

std::string ThreadPriorityName() {
  const int policy = sched_getscheduler(0);
  if (policy == SCHED_FIFO || policy == SCHED_RR) return "Time Critical";
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  // A thread's nice value relative to the process's, in Windows' terms.
  return ThreadPriorityLevelName(getpriority(PRIO_PROCESS, thread) -
                                 getpriority(PRIO_PROCESS, static_cast<id_t>(getpid())));
}

bool DisplayConfigured() {
  return NonEmptyEnv("DISPLAY") || NonEmptyEnv("WAYLAND_DISPLAY");
}

void UseClassicNumberFormatting() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace wizpak::platform
