// The folders of a run, and the data folders checked at startup.
#include "core/base/startup.h"

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/log.h"

namespace kelmoa {

ProgramPaths ProgramPaths::FromProgramFile(const std::string& programFile) {
  ProgramPaths p;
  const auto slash = programFile.rfind('/');
  p.programFolder = slash == std::string::npos ? "." : programFile.substr(0, slash);
  p.exeBaseName = slash == std::string::npos ? programFile : programFile.substr(slash + 1);
  if (const auto dot = p.exeBaseName.rfind('.'); dot != std::string::npos && dot > 0) {
    p.exeBaseName.resize(dot);
  }
  p.baseFolder = GetBaseFolder(p.programFolder);
  return p;
}

bool CheckDataFolder(const ProgramPaths& paths, const std::string& name) {
  if (IsFolderExist(DataFolder(paths.baseFolder, name)))
    return true;
  // The log is the only trace of a missing folder; a log that cannot be written changes
  // nothing about ending the run.
  (void)WriteLog(paths.programFolder, paths.exeBaseName, Utf8ToUtf16(name));
  return false;
}

bool StartLogAndCheckDataFolders(const ProgramPaths& paths) {
  // The log is only a trace of the run: one that cannot be started does not stop the run.
  (void)StartLog(paths.programFolder, paths.title);
  for (const char* name : kDataFolders) {
    if (!CheckDataFolder(paths, name))
      return false;
  }
  return true;
}

}  // namespace kelmoa
