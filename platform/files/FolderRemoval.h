#pragma once

#include <string>
#include <vector>

// Removes everything in the open folder `folder` but the entry named `keep` (none if null).
// A symbolic link is removed, never followed; every step is relative to an open folder, so a
// link put in place of a folder meanwhile leads nowhere. True when everything went.
bool RemoveFolderContents(int folder, const char* keep = nullptr);

// The names of the entries of the open folder `folder` but "." and ".." (and `keep`, if not
// null). The folder's descriptor stays open and usable.
std::vector<std::string> FolderEntries(int folder, const char* keep = nullptr);
