// The subcommands of the `wizpak` command line. Each takes the arguments after
// its own name and returns the process exit status (0 ok, 1 failure, 2 usage).
#pragma once

#include <string>
#include <vector>

namespace wizpak::tools {

using Args = std::vector<std::string>;

int RunPack(const Args& args);     // pack DIR -o FILE
int RunList(const Args& args);     // list FILE
int RunVerify(const Args& args);   // verify FILE
int RunExtract(const Args& args);  // extract FILE DIR [--group N]
int RunBuild(const Args& args);    // build SCRIPT [-o OUT]
int RunArchive(const Args& args);  // archive list|extract|create|verify ...

}  // namespace wizpak::tools
