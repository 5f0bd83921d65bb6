#pragma once
// The folder that holds the data files. Started by hand a program works on the current folder; the
// installed launchers (menu entry, autostart entry, user service) name the folder of the user's data
// instead, so the data stays in one place whichever folder they start from.
#include <optional>
#include <string>

namespace tarvelo {

// "$XDG_DATA_HOME/tarvelo96", or "~/.local/share/tarvelo96" when XDG_DATA_HOME is unset or relative.
std::string xdgDataFolder();

// Makes sure folder exists: a missing one is made (with any missing parents) readable, writable and
// searchable by its owner only, whatever the umask, since a task's command line may carry a password;
// an existing one keeps its mode. Returns the problem when it is not a folder or cannot be made.
std::optional<std::string> prepareDataFolder(const std::string& folder);

// The folder's full path without symbolic links, as two programs on one folder both see it ("" is the
// current folder); the path as given when it cannot be resolved.
std::string canonicalFolder(const std::string& folder);

}  // namespace tarvelo
