// Kernel functions: the database image, library files and file objects.
//
// Images and libraries are SQLite files of our own schema (docs/KERNEL.md,
// 4.17). Every call that fails leaves a text for E_LastError. Libraries are
// named by library handles and their entries by entry handles, both from
// the kernel's handle registry. File objects are named by their ids in the
// current level's file map (DB_FileMap), as OM_FindName gives them.
#pragma once

#include <cstdint>

#define KERNEL_IMAGE_FUNCTIONS(X)                                                                  \
    /* The database image (DB_CreateDataBase, DB_DiscardDataBase, DB_DataBase: core list) */      \
    X(int32_t, DB_SaveDataBase, (const char* path), (path))                                        \
    X(int32_t, DB_LoadDataBase, (const char* path), (path))                                        \
    X(int32_t, SaveHeap, (int32_t kind), (kind))                                                   \
    X(const char*, E_LastError, (), ())                                                            \
    /* Library files: "NorvoDLL00" parts (devices), "NorvoSLL00" symbols and packages */          \
    X(int32_t, E_OpenLibrary, (const char* path, const char* kind, int32_t mode), (path, kind, mode)) \
    X(int32_t, E_CloseLibrary, (int32_t library), (library))                                       \
    X(const char*, E_GetLibDirName, (int32_t library, int32_t index), (library, index))            \
    X(int32_t, E_OpenLibToRead, (int32_t library, const char* name), (library, name))              \
    X(int32_t, E_OpenLibToWrite, (int32_t library, const char* name), (library, name))             \
    X(int32_t, E_CloseLibWrite, (int32_t library), (library))                                      \
    X(int32_t, D_LoadDevice, (int32_t id, int32_t entry), (id, entry))                             \
    X(int32_t, S_LoadSymbol, (int32_t id, int32_t entry), (id, entry))                             \
    X(int32_t, S_SaveSymbol, (int32_t symbol, int32_t entry), (symbol, entry))                     \
    X(int32_t, D_SaveDevice, (int32_t library, int32_t device), (library, device))                 \
    /* File objects of the current level */                                                       \
    X(int32_t, F_CreateFile, (int32_t id, const char* name), (id, name))                           \
    X(int32_t, F_File, (int32_t file), (file))                                                     \
    X(int32_t, F_Seek, (int32_t file, int32_t offset, int32_t origin), (file, offset, origin))     \
    X(int32_t, F_Read, (int32_t file, void* buffer, int32_t bytes), (file, buffer, bytes))         \
    X(int32_t, F_Write, (int32_t file, const void* buffer, int32_t bytes), (file, buffer, bytes))  \
    X(int32_t, F_GetLength, (int32_t file), (file))                                                \
    X(int32_t, F_SetLength, (int32_t file, int32_t length), (file, length))
