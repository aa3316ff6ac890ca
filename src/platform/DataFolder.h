#pragma once

// Where the game finds its files. The game reads res/, tiles/ and drivers/
// relative to the folder it runs in; started from anywhere else (a desktop
// menu, a terminal in the home folder) it first moves into the folder that
// holds them.

#include <filesystem>
#include <string>

namespace dw {

// A folder the game can run in: it has a res/ folder.
bool isGameFolder(const std::filesystem::path& folder);

struct DataFolderChoice {
  // The folder to run in; empty to stay in the working directory.
  std::filesystem::path folder;
  // One line for the player when the game does not run where it was
  // started; empty otherwise.
  std::string note;
};

// given: the folder named on the command line, which always wins (empty when
// none was). Otherwise the working directory when it is a game folder, else
// the installed data (programFolder / installedData, e.g.
// "../share/duskwarren" from bin/), else the program's own folder (a build
// tree). When none is a game folder the game stays where it is and says so.
DataFolderChoice chooseDataFolder(const std::string& given, const std::filesystem::path& workingDir,
                                  const std::filesystem::path& programFolder,
                                  const std::filesystem::path& installedData);

// The folder holding the running program, from the system when it can tell
// and from argv[0] otherwise; empty when neither does.
std::filesystem::path programFolder(const char* argv0);

// The first of the files the game reads below `folder` (res/*.dat,
// tiles/*.til, drivers/mouse.bin) that is longer than a game file can be, in
// the words to refuse it with; empty when none is.
std::string oversizedGameFile(const std::filesystem::path& folder);

// Chooses the folder as above and moves into it. Prints the note, prefixed
// with the program's name, to stderr. False, with the reason, when the
// folder cannot be entered or holds a game file longer than one can be.
bool enterDataFolder(const std::string& given, const char* argv0,
                     const std::filesystem::path& installedData, const std::string& programName,
                     std::string& error);

}  // namespace dw
