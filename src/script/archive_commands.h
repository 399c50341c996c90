// The run-time side of the two script commands that patch game archives.
// The script engine's command classes call these with the compiled line's
// parameters as stored (parameter 2 still enciphered with the archive key).
// The run's archive system is given the run's package as a patch source;
// it asks through the run's prompts (its retry box, its fatal exit), and
// Cancel in the retry box cancels the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizpak {

class SetupRun;

// "kypupdate": params = {source, enciphered password, archive path}; `group`
// is the file group of this line (the run's FileGroupCounter). Deciphers the
// password and patches the archive (a path relative to the installation
// folder) with the entries of the group. Cancel in the retry box asks the
// run to stop before its next line (the run then ends as cancelled).
void ExecuteKypUpdate(SetupRun& setup_run, const std::vector<std::string>& params, uint16_t group);

// "kypofficial": params = {archive path, enciphered code, flag}.
void ExecuteKypOfficial(SetupRun& setup_run, const std::vector<std::string>& params);

}  // namespace wizpak
