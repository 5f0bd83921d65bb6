#pragma once
// The files the program keeps: what a file the user names for output (a report, an exported calendar)
// must never be written over.
#include <string>
#include <vector>

namespace tarvelo {

// The data files of a data folder ("" is the current folder) with the files SQLite keeps beside them
// (-wal, -shm, -journal), and the INI files of the config folder.
std::vector<std::string> ownFiles(const std::string& dataFolder);

}  // namespace tarvelo
