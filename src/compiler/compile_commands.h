// The compile side of the 27 script commands, dispatched by command number.
// Each takes the context and the line's position; the source parameters are
// those of the statement (compile-only lines are stored inert, so their
// parameters are not in the compiled line).
#pragma once

#include <string>
#include <vector>

#include "compiler/compiler.h"

namespace wizpak::compiler {

// Runs the compile step of `command` for the line at `line` whose source
// parameters are `params`. The caller has checked the parameter count and
// warned; payload commands still number their group when parameters are
// missing so that the groups stay in step with the setup's counter.
void CompileCommand(TCompiler& compiler, int32_t command, int line,
                    const std::vector<std::string>& params);

// Label resolution against the compiled lines: the position of the label
// named `target` (lower-cased comparison), the first or the last of that
// name; `target` itself when no label matches. "" never matches.
std::string ResolveLabel(const TCompLines& lines, const std::string& target, bool first_wins);

}  // namespace wizpak::compiler
