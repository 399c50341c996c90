// The run-time side of the two script commands that patch game archives.
// The script engine's command classes call these with the compiled line's
// parameters as stored (parameter 2 still enciphered with the archive key).
// The archive system below is given the package as a patch source and the
// prompts of the run (its retry box, its fatal exit); Cancel in the retry
// box cancels the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizpak {

// "kypupdate": params = {source, enciphered password, archive path}; `group`
// is the file group of this line (the run's FileGroupCounter). Deciphers the
// password and patches the archive (a path relative to the installation
// folder) with the entries of the group. Cancel in the retry box asks the
// run to stop before its next line (the run then ends as cancelled).
void ExecuteKypUpdate(const std::vector<std::string>& params, uint16_t group);

// "kypofficial": params = {archive path, enciphered code, flag}.
void ExecuteKypOfficial(const std::vector<std::string>& params);

}  // namespace wizpak
