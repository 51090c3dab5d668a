#include "composer/win/win_sink.h"

#include <cstdio>

#include "composer/win/html_ids.h"
#include "platform/callback_boundary.h"
#include "platform/win/owned.h"

using Microsoft::WRL::ComPtr;

namespace {

// The event that only gets an acknowledgement.
constexpr DISPID kDispidAccepted = 1026;

const wchar_t kTextElementId[] = L"torvane_text_id";

LONG liveSinks = 0;

// Reference-count changes go to the debugger's output, nowhere else.
void traceReferenceCount(const char* format, LONG count) {
    char line[256];
    std::snprintf(line, sizeof line, format, static_cast<int>(count));
    OutputDebugStringA(line);
}

}  // namespace

CWinSink::CWinSink(HWND editorWindow) : editorWindow_(editorWindow) {
    InterlockedIncrement(&liveSinks);
}

CWinSink::~CWinSink() {
    disconnectSink();
    InterlockedDecrement(&liveSinks);
}

LONG CWinSink::liveInstances() {
    return liveSinks;
}

STDMETHODIMP CWinSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWinSink::AddRef() {
    const LONG count = ++referenceCount_;
    traceReferenceCount("CWinSink refcount increased to %d\n", count);
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CWinSink::Release() {
    const LONG count = --referenceCount_;
    if (count == 0) {
        delete this;
        return 0;
    }
    traceReferenceCount("CWinSink refcount reduced to %d\n", count);
    return static_cast<ULONG>(count);
}

STDMETHODIMP CWinSink::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CWinSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CWinSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CWinSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    return platform::atCallbackBoundary<HRESULT>(E_UNEXPECTED, [&]() -> HRESULT {
        if (!result) return E_POINTER;
        if (dispid == kDispidReadyStateChange) {
            ComPtr<IHTMLElement> element;
            switch (readyState()) {
                case ReadyState::NotYet:
                    return S_OK;
                case ReadyState::Interactive:
                    element = findTextElement();
                    if (!element) return S_OK;  // "complete" will come
                    break;
                case ReadyState::Complete:
                    if (editorWindow_) element = findTextElement();
                    break;
            }
            // Unadvising below drops the connection point's reference, which may
            // be the last one: stay alive until this call has returned.
            ComPtr<CWinSink> keepAlive(this);
            if (editorWindow_) {
                repaintEditor();
                if (element) focusTextElement(element.Get());
            }
            disconnectSink();
            return S_OK;
        }
        if (dispid == kDispidAccepted) return S_OK;
        return DISP_E_MEMBERNOTFOUND;
    });
}

CWinSink::ReadyState CWinSink::readyState() const {
    // A document that cannot tell is taken as loaded: the caret is then at
    // least tried once.
    if (!document_) return ReadyState::Complete;
    BSTR state = nullptr;
    if (FAILED(document_->get_readyState(&state)) || !state) return ReadyState::Complete;
    ReadyState ready = ReadyState::NotYet;
    if (lstrcmpiW(state, L"complete") == 0) ready = ReadyState::Complete;
    if (lstrcmpiW(state, L"interactive") == 0) ready = ReadyState::Interactive;
    SysFreeString(state);
    return ready;
}

void CWinSink::repaintEditor() const {
    RedrawWindow(editorWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

HRESULT CWinSink::connectSink(IHTMLDocument2* document) {
    // A sink is connected once; a second connect would leave the first advise
    // holding this sink for good.
    disconnectSink();
    document_ = document;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = document->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(container.GetAddressOf()));
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(kDiidHtmlDocumentEvents2, connectionPoint_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    adviseResult_ = connectionPoint_->Advise(static_cast<IDispatch*>(this), &cookie_);
    if (FAILED(adviseResult_)) cookie_ = 0;
    return hr;
}

HRESULT CWinSink::disconnectSink() {
    if (connectionPoint_) {
        if (cookie_ != 0) {
            const DWORD cookie = cookie_;
            cookie_ = 0;
            connectionPoint_->Unadvise(cookie);
        }
        connectionPoint_.Reset();
    }
    document_ = nullptr;
    return S_OK;
}

ComPtr<IHTMLElement> CWinSink::findTextElement() const {
    if (!document_) return nullptr;
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(document_->get_all(all.GetAddressOf())) || !all) return nullptr;

    platform::OwnedVariant name;
    platform::OwnedVariant index;
    name.value.vt = VT_BSTR;
    name.value.bstrVal = SysAllocString(kTextElementId);
    if (!name.value.bstrVal) return nullptr;
    index.value.vt = VT_I4;
    index.value.lVal = 0;

    ComPtr<IDispatch> found;
    if (FAILED(all->item(name.value, index.value, found.GetAddressOf())) || !found) return nullptr;
    ComPtr<IHTMLElement> element;
    if (FAILED(found.As(&element))) return nullptr;
    return element;
}

void CWinSink::focusTextElement(IHTMLElement* element) const {
    if (!document_) return;
    ComPtr<IHTMLSelectionObject> selection;
    if (FAILED(document_->get_selection(selection.GetAddressOf())) || !selection) return;
    ComPtr<IDispatch> rangeDispatch;
    if (FAILED(selection->createRange(rangeDispatch.GetAddressOf())) || !rangeDispatch) return;
    ComPtr<IHTMLTxtRange> range;
    if (FAILED(rangeDispatch.As(&range))) return;

    range->collapse(VARIANT_TRUE);
    if (SUCCEEDED(range->moveToElementText(element))) {
        range->select();
        range->scrollIntoView(VARIANT_TRUE);
    }
}
