// How a close meets the command in progress. The close box and File > Exit
// are refused while a command is in progress; the host's "EX" and the end
// signals it stands for end the command as Escape does, then unload, before
// the design is written.
#pragma once

class SCHMAIN;

// Escape: the running command's cancel, option 10 pressed, which asks the
// command's preview for its step at the last pointer point.
void CancelCommand(SCHMAIN& main);

// The command in progress ended for a close: its cancel as Escape's; a
// command that takes no cancel (it has no preview to ask) is dropped.
void EndCommandForClose(SCHMAIN& main);
