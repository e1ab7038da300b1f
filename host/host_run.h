// The host's life once the application object exists: the design file is
// opened, the editor created and loaded, command lines passed in, the
// editor's own commands printed and, where they are addressed to the
// editor, delivered back to it (the host is the suite's hub), end signals
// turned into the editor's close, and the design written back at the end.
#pragma once

#include <QString>

#include <functional>
#include <string>

typedef struct PalvaneInstance PalvaneInstance;

struct HostOptions {
    // The design file; empty: a new design that is not written anywhere.
    std::string designFile;
    // The shipped data folder (the editor's SeverPath).
    QString dataFolder;
    // Where command lines are read from.
    int commandInput = 0;
    // Called once the editor is up, before the event loop runs.
    std::function<void(PalvaneInstance*)> started;
};

// Notes SIGTERM, SIGINT and SIGHUP from now on; RunHost acts on them once
// an event loop runs, however long the start-up takes.
void CatchEndSignals();

// Runs the host; returns the process's exit status (0 when the editor ran
// and the design was written back).
int RunHost(const HostOptions& options);
