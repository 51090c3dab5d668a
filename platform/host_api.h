// The host mail client's plug-in interface: one process-wide table of the
// host's BKA_ entry points, bound once when the module loads.
#pragma once

#include "platform/host_types.h"

// The names in the order in which they are resolved. Required ones first.
#define TORVANE_REQUIRED_HOST_FUNCTIONS(X)                                    \
    X(GetVersion, hostfn::GetVersion)                                         \
    X(Command, hostfn::Unused)                                                \
    X(GetWindowHandles, hostfn::GetWindowHandles)                             \
    X(RegisterCommand, hostfn::RegisterCommand)                               \
    X(RegisterUICallback, hostfn::Unused)                                     \
    X(GetDataFolder, hostfn::GetHostText)                                     \
    X(GetTempFolder, hostfn::GetHostText)                                     \
    X(GetTempFileName, hostfn::GetTempFileName)                               \
    X(GetCurrentMailBox, hostfn::GetHostText)                                 \
    X(SetCurrentMailBox, hostfn::Unused)                                      \
    X(GetCurrentFolder, hostfn::GetHostText)                                  \
    X(SetCurrentFolder, hostfn::Unused)                                       \
    X(GetFolderDisplayName, hostfn::Unused)                                   \
    X(SetMessageText, hostfn::Unused)                                         \
    X(GetCurrentMail, hostfn::GetHostText)                                    \
    X(SetCurrentMail, hostfn::Unused)                                         \
    X(GetNextMail, hostfn::Unused)                                            \
    X(SetSel, hostfn::Unused)                                                 \
    X(AppendMessage, hostfn::Unused)                                          \
    X(MoveSelectedMessages, hostfn::Unused)                                   \
    X(GetStatus, hostfn::Unused)                                              \
    X(ComposeMail, hostfn::ComposeMail)                                       \
    X(GetCharSet, hostfn::GetCharSet)                                         \
    X(GetSource, hostfn::GetSource)                                           \
    X(SetSource, hostfn::Unused)                                              \
    X(GetHeader, hostfn::Unused)                                              \
    X(GetText, hostfn::GetText)                                               \
    X(SetText, hostfn::Unused)                                                \
    X(GetSpecifiedHeader, hostfn::GetSpecifiedHeader)                         \
    X(SetSpecifiedHeader, hostfn::Unused)                                     \
    X(CompGetCharSet, hostfn::Unused)                                         \
    X(CompGetSource, hostfn::CompGetSource)                                   \
    X(CompSetSource, hostfn::CompSetSource)                                   \
    X(CompGetHeader, hostfn::Unused)                                          \
    X(CompGetSpecifiedHeader, hostfn::CompGetSpecifiedHeader)                 \
    X(CompSetSpecifiedHeader, hostfn::Unused)                                 \
    X(CompGetText, hostfn::Unused)                                            \
    X(CompSetText, hostfn::CompSetText)                                       \
    X(CompAttachFile, hostfn::Unused)                                         \
    X(Alloc, hostfn::Alloc)                                                   \
    X(ReAlloc, hostfn::ReAlloc)                                               \
    X(Free, hostfn::Free)                                                     \
    X(ISO_2022_JP, hostfn::Unused)                                            \
    X(ISO_2022_KR, hostfn::Unused)                                            \
    X(HZ_GB2312, hostfn::Unused)                                              \
    X(ISO_8859_2, hostfn::Unused)                                             \
    X(EUC_JP, hostfn::Unused)                                                 \
    X(UTF_7, hostfn::ConvertText)                                             \
    X(UTF_8, hostfn::ConvertText)                                             \
    X(B64Convert, hostfn::ConvertFile)                                        \
    X(QPConvert, hostfn::ConvertFile)                                         \
    X(MIMEHeader, hostfn::MIMEHeader)                                         \
    X(SerializeRcpts, hostfn::Unused)                                         \
    X(Connect, hostfn::Unused)

// Present only in some host versions; a missing one stays null.
#define TORVANE_OPTIONAL_HOST_FUNCTIONS(X)                                    \
    X(SetStatus, hostfn::Unused)                                              \
    X(NextUnread, hostfn::Unused)                                             \
    X(ProcessMail, hostfn::Unused)                                            \
    X(GetSize, hostfn::Unused)

struct HostApi {
    void* hostModule = nullptr;
#define TORVANE_DECLARE_HOST_MEMBER(name, type) type BKA_##name = nullptr;
    TORVANE_REQUIRED_HOST_FUNCTIONS(TORVANE_DECLARE_HOST_MEMBER)
    TORVANE_OPTIONAL_HOST_FUNCTIONS(TORVANE_DECLARE_HOST_MEMBER)
#undef TORVANE_DECLARE_HOST_MEMBER
};

constexpr int kRequiredHostFunctionCount = 54;
constexpr int kOptionalHostFunctionCount = 4;

// The one table of the process. Bound by bindHostApi in the plug-in, filled
// by the host simulation in native programs.
HostApi& hostApi();

// Resolves the table from the process's main executable (Windows only).
// False when a required name is missing or the version rule fails; the table
// is then reset so that a later attempt starts again.
bool bindHostApi();

// The version rule: hosts before this version may lack BKA_SetStatus.
constexpr const char* kSetStatusVersion = "2.00.06";
