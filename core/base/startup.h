// The folders of a run, and the data folders checked at startup.
#pragma once

#include <string>

#include "core/base/paths.h"

namespace kelmoa {

// The folders every path of a run hangs on. The program folder holds the program file, the
// settings file and the log; its parent, the base folder, holds the data folders.
struct ProgramPaths {
  std::string programFolder;
  std::string baseFolder;
  std::string title = kProgramTitle;  // names the log and the settings file
  std::string exeBaseName = kProgramTitle;

  // Paths from the program file's own path.
  static ProgramPaths FromProgramFile(const std::string& programFile);
};

// Returns true when base folder/name is a folder. Otherwise writes the name to the log and
// returns false: the caller then ends the program without a message and without creating it.
bool CheckDataFolder(const ProgramPaths& paths, const std::string& name);

// Starts a fresh log and checks the data folders in order, stopping at the first missing one.
// True when all are present.
bool StartLogAndCheckDataFolders(const ProgramPaths& paths);

}  // namespace kelmoa
