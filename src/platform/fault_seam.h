// The parts of the platform layer that are the same on every host: the
// fault seam's check (tests fail chosen calls through ScopedFaultHook) and
// the store behind LastErrorText (platform units only).
#pragma once

#include <string_view>

#include "platform/files.h"

namespace wizpak::platform {

// 0 when the call may go ahead, else the errno the installed hook chose.
// `path` names what the call works on (a host or a program path, as the
// platform layer passes it).
int ConsultFaultHook(FileOp op, std::string_view path);
// Records `error` (an errno value) as errno and as the last error's text;
// always returns false.
bool FailWith(int error);

}  // namespace wizpak::platform
