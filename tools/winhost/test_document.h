// A stand-in for the embedded browser's HTML document: it plays exactly what
// the plug-in uses (loading through IPersistStreamInit, the HTMLDocumentEvents2
// connection point, the element collection, the selection and its text range,
// IOleCommandTarget::Exec), records every call, and lets a test fire document
// events at the connected sinks and count the references still held on it.
//
// Like the real editor it loads asynchronously: InitNew and Load each take
// readyState through "loading", "interactive" and "complete", firing
// DISPID_READYSTATECHANGE at every step; only "loading" fires inside the
// call, the later steps arrive through messages posted to the thread's
// message loop (a newer load cancels the steps of an older one). Elements
// are found only from "interactive" on. Connected sinks stay connected until
// they unadvise or the document itself goes.
#pragma once

#include <windows.h>
#include <mshtml.h>
#include <ocidl.h>
#include <docobj.h>
#include <wrl/client.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/winhost/html_stubs.h"

namespace wintest {

class TestDocument final : public HtmlDocument2Stub,
                           public IPersistStreamInit,
                           public IConnectionPointContainer,
                           public IOleCommandTarget {
public:
    // Whether the collection knows an element "torvane_text_id".
    enum class TextElement { FromLoadedHtml, Present, Absent };

    // A new document; the returned pointer holds its only reference.
    static Microsoft::WRL::ComPtr<TestDocument> create();

    // Configuration.
    TextElement textElement = TextElement::FromLoadedHtml;
    bool offersConnectionPoint = true;
    HRESULT adviseResult = S_OK;
    HRESULT moveToElementTextResult = S_OK;
    // False: readyState still moves on, but no change is ever reported.
    bool reportsReadyState = true;
    // Runs inside every Release, as a document in another apartment runs
    // the message loop while its proxy is released.
    std::function<void()> whileReleased;

    // What was done to the document and the objects it handed out, in order:
    // "close", "get_all", "item torvane_text_id 0", "get_selection",
    // "createRange", "collapse true", "moveToElementText element", "select",
    // "scrollIntoView true", "InitNew", "Load", "FindConnectionPoint
    // HTMLDocumentEvents2", "Advise", "Unadvise", "Exec CGID_MSHTML 23 0",
    // and "readyState loading" (… "interactive", "complete") where the
    // document reported a change.
    std::vector<std::string> calls;
    std::vector<IID> queriedInterfaces;
    std::string loadedBytes;  // what the last Load read from its stream
    // What the connection point's Release of a sink returned in Unadvise:
    // 0 means the sink was destroyed by its own unadvising.
    std::vector<ULONG> unadviseReleaseCounts;

    // References held on the document, including those held through the
    // objects it handed out (each of them keeps the document alive).
    ULONG references() const { return static_cast<ULONG>(references_); }
    std::size_t connectedSinks() const { return sinks_.size(); }
    // The reference count of each connected sink (read with AddRef and Release).
    std::vector<ULONG> sinkReferences() const;
    // Calls Invoke(dispid) on every connected sink through the pointer its
    // connection point holds, as the browser does; `withResult` false passes
    // no result place. Returns each sink's answer.
    std::vector<HRESULT> fire(DISPID dispid, bool withResult = true);
    // "uninitialized", "loading", "interactive" or "complete".
    const char* readyState() const;

    // Documents alive in this process, and the sinks connected to them.
    static std::size_t liveDocuments();
    static std::size_t sinksConnectedToLiveDocuments();
    // Whether a ready-state change is being delivered right now.
    static bool deliveringReadyStateChange();

    // The document's identity, as QueryInterface(IID_IUnknown) gives it.
    IUnknown* unknown() { return static_cast<IPersistStreamInit*>(this); }
    void record(std::string call) { calls.push_back(std::move(call)); }
    bool hasTextElement() const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IHTMLDocument2
    STDMETHODIMP get_readyState(BSTR* state) override;
    STDMETHODIMP get_all(IHTMLElementCollection** all) override;
    STDMETHODIMP get_selection(IHTMLSelectionObject** selection) override;
    STDMETHODIMP close() override;
    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return E_NOTIMPL; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD option, VARIANT* in, VARIANT* out) override;

    // Used by the connection point.
    HRESULT advise(IUnknown* sink, DWORD* cookie);
    HRESULT unadvise(DWORD cookie);
    // Used by the posted steps of a load.
    void advanceReadyState(unsigned load);

private:
    enum class ReadyState { Uninitialized, Loading, Interactive, Complete };

    TestDocument();
    ~TestDocument();
    void startLoading();
    void reportReadyState();
    void dropSinks();

    struct Connection {
        DWORD cookie;
        IDispatch* sink;  // one reference, given back by unadvise
    };

    LONG references_ = 1;
    Microsoft::WRL::ComPtr<IUnknown> freeThreadedMarshaler_;
    std::vector<Connection> sinks_;
    DWORD nextCookie_ = 1;
    unsigned serial_ = 0;  // names the document in its posted steps
    ReadyState readyState_ = ReadyState::Uninitialized;
    unsigned load_ = 0;  // the latest InitNew or Load
    bool releasing_ = false;
};

// Runs the thread's message loop until no message is waiting, as the host
// does between its callbacks: posted ready-state steps arrive, windows paint.
void runPendingMessages();

}  // namespace wintest
