// The 27 script commands, one class per keyword, in registry order. Each
// sets its keyword and CompileOnly flag; the ones that act when their line
// runs override Execute, "file" and "kypupdate" also PayloadKind. Setup-
// property commands and the language commands do nothing at run time.
#pragma once

#include "script/command_class.h"

namespace wizpak {

// 1
class TGotoCommand : public TCommandClass {
 public:
  TGotoCommand() : TCommandClass("goto", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 2
class TNameCommand : public TCommandClass {
 public:
  TNameCommand() : TCommandClass("name", true) {}
};

// 3
class TOutFileCommand : public TCommandClass {
 public:
  TOutFileCommand() : TCommandClass("outfile", true) {}
};

// 4
class TInstallDirCommand : public TCommandClass {
 public:
  TInstallDirCommand() : TCommandClass("installdir", true) {}
};

// 5
class TInstallDirRegKeyCommand : public TCommandClass {
 public:
  TInstallDirRegKeyCommand() : TCommandClass("installdirregkey", true) {}
};

// 6
class TIfFileExistsCommand : public TCommandClass {
 public:
  TIfFileExistsCommand() : TCommandClass("iffileexists", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 7
class TFileCommand : public TCommandClass {
 public:
  TFileCommand() : TCommandClass("file", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
  uint8_t PayloadKind() const override { return kPayloadFiles; }
};

// 8
class TDeleteCommand : public TCommandClass {
 public:
  TDeleteCommand() : TCommandClass("delete", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 9
class TWriteRegStrCommand : public TCommandClass {
 public:
  TWriteRegStrCommand() : TCommandClass("writeregstr", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 10
class TChangelogCommand : public TCommandClass {
 public:
  TChangelogCommand() : TCommandClass("changelog", true) {}
};

// 11
class TKYPUpdateCommand : public TCommandClass {
 public:
  TKYPUpdateCommand() : TCommandClass("kypupdate", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
  uint8_t PayloadKind() const override { return kPayloadArchivePatch; }
};

// 12
class TRMDirCommand : public TCommandClass {
 public:
  TRMDirCommand() : TCommandClass("rmdir", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 13
class TCreateDirectoryCommand : public TCommandClass {
 public:
  TCreateDirectoryCommand() : TCommandClass("createdirectory", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 14
class TCreateShortCutCommand : public TCommandClass {
 public:
  TCreateShortCutCommand() : TCommandClass("createshortcut", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 15
class TMessageCommand : public TCommandClass {
 public:
  TMessageCommand() : TCommandClass("message", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 16
class TMessageBoxCommand : public TCommandClass {
 public:
  TMessageBoxCommand() : TCommandClass("messagebox", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 17
class TCopyFileCommand : public TCommandClass {
 public:
  TCopyFileCommand() : TCommandClass("copyfile", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 18
class TLanguageCommand : public TCommandClass {
 public:
  TLanguageCommand() : TCommandClass("language", false) {}
};

// 19
class TFailureCommand : public TCommandClass {
 public:
  TFailureCommand() : TCommandClass("failure", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 20
class TPagesCommand : public TCommandClass {
 public:
  TPagesCommand() : TCommandClass("pages", true) {}
};

// 21
class TShortNameCommand : public TCommandClass {
 public:
  TShortNameCommand() : TCommandClass("shortname", true) {}
};

// 22
class TUninstallPagesCommand : public TCommandClass {
 public:
  TUninstallPagesCommand() : TCommandClass("uninstallpages", true) {}
};

// 23
class TUninstallLanguageCommand : public TCommandClass {
 public:
  TUninstallLanguageCommand() : TCommandClass("uninstalllanguage", false) {}
};

// 24
class TUninstallPrefixCommand : public TCommandClass {
 public:
  TUninstallPrefixCommand() : TCommandClass("prefix", true) {}
};

// 25
class TUninstallLogLoadCommand : public TCommandClass {
 public:
  TUninstallLogLoadCommand() : TCommandClass("uninstalllogload", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 26
class TUninstallLogSaveCommand : public TCommandClass {
 public:
  TUninstallLogSaveCommand() : TCommandClass("uninstalllogsave", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

// 27
class TKYPOfficialCommand : public TCommandClass {
 public:
  TKYPOfficialCommand() : TCommandClass("kypofficial", false) {}
  void Execute(SetupRun& setup_run, int lineIndex) const override;
};

}  // namespace wizpak
