// CWinSink: the event sink that one loadHtml attaches to the editor's
// document. The editor loads asynchronously: its first ready-state changes
// may come from the blank document of InitNew or from "loading", before the
// template's elements exist. So the sink waits for "complete", or for
// "interactive" once the element "torvane_text_id" (where the user starts to
// write) can be found; then it repaints the editor, selects that element's
// text and detaches itself. Its session owns it and disconnects it when the
// session loads another document or goes.
#pragma once

#include <windows.h>
#include <mshtml.h>
#include <ocidl.h>
#include <wrl/client.h>

class CWinSink : public IDispatch {
public:
    // Starts with one reference, held by the creator.
    explicit CWinSink(HWND editorWindow);
    CWinSink(const CWinSink&) = delete;
    CWinSink& operator=(const CWinSink&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exceptionInfo, UINT* argumentError) override;

    // Advises the document's HTMLDocumentEvents2 connection point; returns
    // the result of finding that point. The sink keeps no reference on the
    // document: whoever connects it disconnects it before letting the
    // document go.
    HRESULT connectSink(IHTMLDocument2* document);
    // Unadvises, lets go of the connection point and forgets the document;
    // safe when not connected.
    HRESULT disconnectSink();

    // Sinks alive in this process; lets tests prove that none is leaked.
    static LONG liveInstances();

protected:
    virtual ~CWinSink();

private:
    enum class ReadyState { NotYet, Interactive, Complete };
    ReadyState readyState() const;
    // The element "torvane_text_id", or null.
    Microsoft::WRL::ComPtr<IHTMLElement> findTextElement() const;
    // Selects the text of the element "torvane_text_id", found by
    // findTextElement (the ready-state check looks it up already), and
    // scrolls it into view.
    void focusTextElement(IHTMLElement* element) const;
    void repaintEditor() const;

    IHTMLDocument2* document_ = nullptr;
    LONG referenceCount_ = 1;
    Microsoft::WRL::ComPtr<IConnectionPoint> connectionPoint_;
    HRESULT adviseResult_ = CONNECT_E_CANNOTCONNECT;
    DWORD cookie_ = 0;
    HWND editorWindow_ = nullptr;
};
