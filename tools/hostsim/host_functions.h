// The simulated host's BKA_ functions, with the host interface's signatures
// and calling convention. The wine test host exports them by name.
#pragma once

#include "platform/host_types.h"

extern "C" {
const char* BKA_CALL BKA_GetVersion();
void BKA_CALL BKA_GetWindowHandles(HostWindow* mainWindow, HostWindow* treeView, HostWindow* listView,
                                   HostWindow* messageView);
int BKA_CALL BKA_RegisterCommand(const char* name, int menuKind, HostCommandCallback callback);
const char* BKA_CALL BKA_GetDataFolder();
const char* BKA_CALL BKA_GetTempFolder();
const char* BKA_CALL BKA_GetTempFileName(const char* extension);
const char* BKA_CALL BKA_GetCurrentMailBox();
const char* BKA_CALL BKA_GetCurrentFolder();
const char* BKA_CALL BKA_GetCurrentMail();
HostWindow BKA_CALL BKA_ComposeMail(const char* to);
int BKA_CALL BKA_GetCharSet(const char* mailId, char* buffer, int size);
char* BKA_CALL BKA_GetSource(const char* mailId);
const char* BKA_CALL BKA_GetText(char* mimeType, int size);
int BKA_CALL BKA_GetSpecifiedHeader(const char* name, char* buffer, int size);
char* BKA_CALL BKA_CompGetSource(HostWindow window);
void BKA_CALL BKA_CompSetSource(HostWindow window, const char* source);
int BKA_CALL BKA_CompGetSpecifiedHeader(HostWindow window, const char* name, char* buffer, int size);
void BKA_CALL BKA_CompSetText(HostWindow window, int flags, const char* text);
void* BKA_CALL BKA_Alloc(int size);
void* BKA_CALL BKA_ReAlloc(void* block, int size);
void BKA_CALL BKA_Free(void* block);
const char* BKA_CALL BKA_UTF_8(const char* text, int direction);
const char* BKA_CALL BKA_UTF_7(const char* text, int direction);
int BKA_CALL BKA_B64Convert(const char* outputPath, const char* inputPath, int flags);
int BKA_CALL BKA_QPConvert(const char* outputPath, const char* inputPath, int flags);
const char* BKA_CALL BKA_MIMEHeader(const char* text, char* buffer, int size, int flags);

// Names the plug-in binds but never calls: they only record the call.
void BKA_CALL BKA_Command();
void BKA_CALL BKA_RegisterUICallback();
void BKA_CALL BKA_SetCurrentMailBox();
void BKA_CALL BKA_SetCurrentFolder();
void BKA_CALL BKA_GetFolderDisplayName();
void BKA_CALL BKA_SetMessageText();
void BKA_CALL BKA_SetCurrentMail();
void BKA_CALL BKA_GetNextMail();
void BKA_CALL BKA_SetSel();
void BKA_CALL BKA_AppendMessage();
void BKA_CALL BKA_MoveSelectedMessages();
void BKA_CALL BKA_GetStatus();
void BKA_CALL BKA_SetSource();
void BKA_CALL BKA_GetHeader();
void BKA_CALL BKA_SetText();
void BKA_CALL BKA_SetSpecifiedHeader();
void BKA_CALL BKA_CompGetCharSet();
void BKA_CALL BKA_CompGetHeader();
void BKA_CALL BKA_CompSetSpecifiedHeader();
void BKA_CALL BKA_CompGetText();
void BKA_CALL BKA_CompAttachFile();
void BKA_CALL BKA_ISO_2022_JP();
void BKA_CALL BKA_ISO_2022_KR();
void BKA_CALL BKA_HZ_GB2312();
void BKA_CALL BKA_ISO_8859_2();
void BKA_CALL BKA_EUC_JP();
void BKA_CALL BKA_SerializeRcpts();
void BKA_CALL BKA_Connect();
void BKA_CALL BKA_SetStatus();
void BKA_CALL BKA_NextUnread();
void BKA_CALL BKA_ProcessMail();
void BKA_CALL BKA_GetSize();
}
