#pragma once

// Removes everything in the open folder `folder` but the entry named `keep` (none if null).
// A symbolic link is removed, never followed; every step is relative to an open folder, so a
// link put in place of a folder meanwhile leads nowhere. True when everything went.
bool RemoveFolderContents(int folder, const char* keep = nullptr);
