#pragma once

#include <QString>

// The program-wide state the bulk conversion shares between its parts, with one owner: the
// program's composition root.
struct ProgramState
{
    // While set, a conversion run works in batch mode.
    bool BatchMode = false;
    // The remembered starting and ending folders, exactly as browsed or typed.
    QString StartFolder;
    QString DestinationFolder;
};
