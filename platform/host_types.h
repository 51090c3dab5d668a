// Types of the host interface, declared without <windows.h> so that the
// portable subsystems can use them. HWND__/HMENU__ match the STRICT handle
// types of <windows.h>, so on Windows these are exactly HWND and HMENU.
#pragma once

struct HWND__;
struct HMENU__;
using HostWindow = HWND__*;
using HostMenu = HMENU__*;

#if defined(_WIN32)
#define BKA_CALL __stdcall
#else
#define BKA_CALL
#endif

// A command registered with BKA_RegisterCommand: (window, command id).
using HostCommandCallback = void(BKA_CALL*)(HostWindow window, int commandId);

namespace hostfn {
using Unused = void(BKA_CALL*)();
using GetVersion = const char*(BKA_CALL*)();
using GetWindowHandles = void(BKA_CALL*)(HostWindow* mainWindow, HostWindow* treeView,
                                          HostWindow* listView, HostWindow* messageView);
using RegisterCommand = int(BKA_CALL*)(const char* name, int menuKind, HostCommandCallback callback);
// Folder, mailbox, current folder and current mail id texts (host-owned).
using GetHostText = const char*(BKA_CALL*)();
using GetTempFileName = const char*(BKA_CALL*)(const char* extension);
using ComposeMail = HostWindow(BKA_CALL*)(const char* to);
using GetCharSet = int(BKA_CALL*)(const char* mailId, char* buffer, int size);
// Returns a block from BKA_Alloc, for the caller to hold in a HostBlock.
using GetSource = char*(BKA_CALL*)(const char* mailId);
// Writes the body's MIME type into the buffer; returns the body (host-owned).
using GetText = const char*(BKA_CALL*)(char* mimeType, int size);
using GetSpecifiedHeader = int(BKA_CALL*)(const char* name, char* buffer, int size);
// Returns a block from BKA_Alloc, for the caller to hold in a HostBlock.
using CompGetSource = char*(BKA_CALL*)(HostWindow window);
using CompSetSource = void(BKA_CALL*)(HostWindow window, const char* source);
using CompGetSpecifiedHeader = int(BKA_CALL*)(HostWindow window, const char* name, char* buffer, int size);
using CompSetText = void(BKA_CALL*)(HostWindow window, int flags, const char* text);
using Alloc = void*(BKA_CALL*)(int size);
using ReAlloc = void*(BKA_CALL*)(void* block, int size);
using Free = void(BKA_CALL*)(void* block);
// BKA_UTF_8 / BKA_UTF_7: returns the converted text (host-owned, copy at once).
using ConvertText = const char*(BKA_CALL*)(const char* text, int direction);
// BKA_B64Convert / BKA_QPConvert: (output path, input path, 0); nonzero on success.
using ConvertFile = int(BKA_CALL*)(const char* outputPath, const char* inputPath, int flags);
// Decodes RFC 2047 words into the buffer when given, else into host-owned
// storage; returns the decoded text.
using MIMEHeader = const char*(BKA_CALL*)(const char* text, char* buffer, int size, int flags);
}  // namespace hostfn
