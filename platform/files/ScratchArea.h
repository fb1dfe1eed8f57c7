#pragma once

#include <QString>
#include <memory>

class LockedFolder;

// The run's private scratch folder, `<temporary folder>/corvanta-<uid>/run-XXXXXX` (mode 0700),
// held by a lock for the run's life and removed at its end. Making it first removes the run
// folders that killed runs left behind, so their temporary files do not pile up.
class ScratchArea
{
public:
    // Sweeps and makes the folder under `temporaryFolder`. A `corvanta-<uid>` folder there that
    // is not ours, is a link, or that others may write in is refused: see isValid() and error().
    explicit ScratchArea(const QString& temporaryFolder);
    ~ScratchArea();
    ScratchArea(const ScratchArea&) = delete;
    ScratchArea& operator=(const ScratchArea&) = delete;

    bool isValid() const { return m_folder != nullptr; }
    QString path() const;
    const QString& error() const { return m_error; }

    // The program's area, under the system's temporary folder. TMPDIR then points at it, so the
    // program's temporary files and those of every program it starts go there: call it before
    // the QApplication and any thread exist. Without an area TMPDIR stays as it was.
    static std::unique_ptr<ScratchArea> forThisRun();

    // The temporary folder from before the area, for programs that may outlive this run (an
    // editor, a browser): their temporary files must not be in a folder removed at our end.
    // Empty when the program runs without an area.
    static QString outerTemporaryFolder();

private:
    std::unique_ptr<LockedFolder> m_folder;
    QString m_error;
};
