#include "gamearchive/package_source.h"

#include "package/pak.h"
#include "script/script_run.h"

namespace wizpak::gamearchive {

namespace {

// The package the script extracts from, seen as a patch source.
class SetupPackage : public PatchSource {
 public:
  uint32_t CountInGroup(uint16_t group) override { return Pak().CountInGroup(group); }
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) override {
    Pak().ForEachInGroup(group, fn);
  }
  std::string EntryName(uint32_t index) override { return Pak().Entries[index].Name; }
  uint32_t EntrySize(uint32_t index) override { return Pak().Entries[index].OrigSize; }
  std::optional<std::string> Extract(uint32_t index) override { return Pak().ExtractEntry(index); }

 private:
  static TPak& Pak() {
    TPak* pak = ScriptPackage();
    if (!pak) throw std::runtime_error("No package is open for the archive commands");
    return *pak;
  }
};

}  // namespace

PatchSource& SetupPackageSource() {
  static SetupPackage source;
  return source;
}

}  // namespace wizpak::gamearchive
