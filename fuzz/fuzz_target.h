// Shared declarations of the fuzz targets: the libFuzzer entry point and the
// seed inputs each target builds with the project's own writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Valid (or nearly valid) inputs for this target, made by the project's writers.
std::vector<std::string> wizpak_fuzz_seeds();
