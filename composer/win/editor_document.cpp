#include "composer/win/editor_document.h"

#include <cstring>
#include <new>

#include "composer/win/win_sink.h"
#include "platform/callback_boundary.h"
#include "composer/win/compose_window_session.h"

using Microsoft::WRL::ComPtr;

namespace {

const char kEditorClassName[] = "Internet Explorer_Server";
constexpr UINT kGetObjectTimeoutMs = 1000;

}  // namespace

void ComposeWindowSession::releaseDocument() {
    if (sink) sink->disconnectSink();
    sink.Reset();
    document.Reset();
}

BOOL CALLBACK findEditorWindow(HWND window, LPARAM out) {
    return platform::atCallbackBoundary<BOOL>(FALSE, [&]() -> BOOL {
        char className[100];
        if (GetClassNameA(window, className, sizeof className) == 0) return TRUE;
        if (std::strcmp(className, kEditorClassName) != 0) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    });
}

void ComposeWindowSession::loadHtml(std::string html) {
    // Without ObjectFromLresult nobody could take the editor's answer, and an
    // answer never unmarshaled keeps a reference on the document: don't ask.
    if (detached || !oleaccModule || !editorWindow || !objectFromLresultFn) return;

    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(editorWindow, getObjectMessage, 0, 0, SMTO_ABORTIFHUNG, kGetObjectTimeoutMs, &result))
        return;

    releaseDocument();
    // The editor hands out its document as IHTMLDocument; everything later
    // uses IHTMLDocument2, so ask for that interface rather than assume it.
    ComPtr<IHTMLDocument> baseDocument;
    if (FAILED(objectFromLresultFn(static_cast<LRESULT>(result), IID_IHTMLDocument, 0,
                                   reinterpret_cast<void**>(baseDocument.GetAddressOf()))) ||
        !baseDocument)
        return;
    if (FAILED(baseDocument.As(&document))) return;

    // The session keeps the creator's reference: a document that never
    // reports being ready would otherwise hold a sink that nobody can
    // disconnect, and keep calling it after the plug-in is gone. (MinGW's
    // ComPtr::Attach would add a reference, so the new one is taken over
    // directly.)
    *sink.ReleaseAndGetAddressOf() = new CWinSink(editorWindow);
    sink->connectSink(document.Get());

    ComPtr<IPersistStreamInit> persist;
    if (FAILED(document.As(&persist))) return;
    ComPtr<IStream> stream;
    // A stream without room for the whole text (a reply too large for the
    // process's memory) would load a document cut short, or nothing, as if
    // it had worked: that is reported, the editor left as it is.
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf()))) throw std::bad_alloc();
    const ULONG length = static_cast<ULONG>(lstrlenA(html.c_str()));
    ULONG written = 0;
    if (FAILED(stream->Write(html.c_str(), length, &written)) || written != length) throw std::bad_alloc();
    std::string().swap(html);

    persist->InitNew();
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    persist->Load(stream.Get());
    document->close();
}
