#include "composer/win/win_sink.h"

#include <cstdio>

#include "composer/win/html_ids.h"

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

// A VARIANT that is cleared (freeing what it owns) when it goes out of scope.
struct ScopedVariant {
    ScopedVariant() { VariantInit(&value); }
    ~ScopedVariant() { VariantClear(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT value;
};

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
    if (!result) return E_POINTER;
    if (dispid == kDispidReadyStateChange) {
        // Unadvising below drops the connection point's reference, which may
        // be the last one: stay alive until this call has returned.
        ComPtr<CWinSink> keepAlive(this);
        if (editorWindow_) {
            const WPARAM window = reinterpret_cast<WPARAM>(editorWindow_);
            SendMessageA(editorWindow_, WM_PAINT, window, 0);
            SendMessageA(editorWindow_, WM_NCPAINT, window, 0);
            if (document_) focusTextElement();
        }
        disconnectSink();
        return S_OK;
    }
    if (dispid == kDispidAccepted) return S_OK;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT CWinSink::connectSink(IHTMLDocument2* document) {
    document_ = document;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = document->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(container.GetAddressOf()));
    if (FAILED(hr)) return hr;
    // A sink is connected once; a second connect would leave the first advise
    // holding this sink for good.
    disconnectSink();
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
    return S_OK;
}

void CWinSink::focusTextElement() {
    if (!document_) return;
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(document_->get_all(all.GetAddressOf())) || !all) return;

    ScopedVariant name;
    ScopedVariant index;
    name.value.vt = VT_BSTR;
    name.value.bstrVal = SysAllocString(kTextElementId);
    if (!name.value.bstrVal) return;
    index.value.vt = VT_I4;
    index.value.lVal = 0;

    ComPtr<IDispatch> found;
    if (FAILED(all->item(name.value, index.value, found.GetAddressOf())) || !found) return;
    ComPtr<IHTMLElement> element;
    if (FAILED(found.As(&element))) return;

    ComPtr<IHTMLSelectionObject> selection;
    if (FAILED(document_->get_selection(selection.GetAddressOf())) || !selection) return;
    ComPtr<IDispatch> rangeDispatch;
    if (FAILED(selection->createRange(rangeDispatch.GetAddressOf())) || !rangeDispatch) return;
    ComPtr<IHTMLTxtRange> range;
    if (FAILED(rangeDispatch.As(&range))) return;

    range->collapse(VARIANT_TRUE);
    if (SUCCEEDED(range->moveToElementText(element.Get()))) {
        range->select();
        range->scrollIntoView(VARIANT_TRUE);
    }
}
