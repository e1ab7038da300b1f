/* The editor's public interface for its host.
 *
 * The host creates one instance, sets SeverPath, calls Load, passes command
 * strings in with NotifyMe and receives the editor's own commands through
 * the NotifyServer callback. Releasing the instance closes the editor.
 * Texts are zero-terminated single-byte (Latin-1) strings. No function lets
 * an exception escape: a failure inside NotifyMe comes back as its result.
 */
#pragma once

#include <cstdint>

#define PALVANE_API extern "C" __attribute__((visibility("default")))

typedef struct PalvaneInstance PalvaneInstance;

/* Receives NotifyServer(Aname, sCommand). */
typedef void (*PalvaneNotifyServerFn)(void* context, const char* aname, const char* command);

/* Creates the editor's host link class (its windows exist but are not
 * loaded). Returns null when the editor cannot be created. */
PALVANE_API PalvaneInstance* Palvane_CreateInstance(void);

/* Releases the instance: the main window unloads. */
PALVANE_API void Palvane_Release(PalvaneInstance* instance);

/* Registers the receiver of NotifyServer; null stops delivery. */
PALVANE_API void Palvane_SetNotifyServer(PalvaneInstance* instance, PalvaneNotifyServerFn callback,
                                         void* context);

PALVANE_API void Palvane_SetSeverPath(PalvaneInstance* instance, const char* path);

/* Copies SeverPath into buffer (always terminated when size > 0); returns
 * its full length. */
PALVANE_API int32_t Palvane_GetSeverPath(PalvaneInstance* instance, char* buffer, int32_t size);

/* Copies the job folder (the settings' JobDir, where File > Save Backup
 * writes) into buffer (always terminated when size > 0) as the file system
 * names it; returns its full length. The folder may not exist yet: it is
 * made when first written to. Read before Release, as the editor's
 * settings stand then. */
PALVANE_API int32_t Palvane_GetJobFolder(PalvaneInstance* instance, char* buffer, int32_t size);

/* Loads the editor in window state iMode (0 normal, 1 minimised,
 * 2 maximised). Returns -1 (True) when the main window is up, else 0. */
PALVANE_API int16_t Palvane_Load(PalvaneInstance* instance, int16_t iMode);

/* Executes a command string; a null text counts as empty. Returns 0 on
 * success, else the runtime error number, with its description copied into
 * errorText when given. */
PALVANE_API int32_t Palvane_NotifyMe(PalvaneInstance* instance, const char* aname, const char* command,
                                     char* errorText, int32_t errorSize);
