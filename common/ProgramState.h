#pragma once

#include <QString>

// The program-wide state the bulk conversion shares between its parts, with one owner: the
// main window.
struct ProgramState
{
    // While set, a conversion run works in batch mode.
    bool BatchMode = false;
    // The remembered starting and ending folders, exactly as browsed or typed.
    QString StartFolder;
    QString DestinationFolder;
    // Set only for the run of an unattended start (-BATCH), the one run that ends the program.
    bool UnattendedStart = false;
};
