#include "tools/winhost/test_document.h"

#include <algorithm>
#include <map>
#include <utility>

#include "composer/win/html_ids.h"

using Microsoft::WRL::ComPtr;

namespace wintest {
namespace {

// Documents alive, by serial: a posted step names its document by serial, so
// that a step arriving after the document went finds nothing.
std::map<unsigned, TestDocument*>& liveDocumentsBySerial() {
    static std::map<unsigned, TestDocument*> documents;
    return documents;
}

int readyStateChangesBeingDelivered = 0;

// The message that carries a load's next ready-state step.
constexpr UINT kReadyStateStep = WM_APP + 0x4D;

LRESULT CALLBACK readyStateStepProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kReadyStateStep) return DefWindowProcW(window, message, wParam, lParam);
    const auto found = liveDocumentsBySerial().find(static_cast<unsigned>(wParam));
    if (found != liveDocumentsBySerial().end()) found->second->advanceReadyState(static_cast<unsigned>(lParam));
    return 0;
}

// A message-only window of this thread that receives the posted steps.
HWND readyStateStepWindow() {
    static const HWND window = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = readyStateStepProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TorvaneTestDocumentSteps";
        RegisterClassExW(&windowClass);
        return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    }();
    return window;
}

std::string narrow(const wchar_t* text) {
    std::string result;
    for (; text && *text; ++text) result += *text < 0x80 ? static_cast<char>(*text) : '?';
    return result;
}

const char* boolText(VARIANT_BOOL value) {
    return value == VARIANT_TRUE ? "true" : value == VARIANT_FALSE ? "false" : "not-a-bool";
}

// An object the document hands out: it answers IUnknown, IDispatch and its
// own interface, and keeps the document alive while anyone holds it.
template <class Stub>
class DocumentPart : public Stub {
public:
    DocumentPart(TestDocument* document, const IID& iid) : document_(document), iid_(iid) {}
    virtual ~DocumentPart() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != iid_) return E_NOINTERFACE;
        *out = static_cast<Stub*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = --references_;
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

protected:
    ComPtr<TestDocument> document_;

private:
    const IID iid_;
    LONG references_ = 1;
};

template <class Part, class Interface, class... Arguments>
HRESULT handOut(Interface** out, Arguments&&... arguments) {
    if (!out) return E_POINTER;
    *out = new Part(std::forward<Arguments>(arguments)...);  // the caller's reference
    return S_OK;
}

class TestElement final : public DocumentPart<HtmlElementStub> {
public:
    explicit TestElement(TestDocument* document) : DocumentPart(document, IID_IHTMLElement) {}
};

class TestElementCollection final : public DocumentPart<HtmlElementCollectionStub> {
public:
    explicit TestElementCollection(TestDocument* document) : DocumentPart(document, IID_IHTMLElementCollection) {}

    STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** found) override {
        std::string call = "item ";
        call += name.vt == VT_BSTR ? narrow(name.bstrVal) : "<not a string>";
        call += index.vt == VT_I4 ? " " + std::to_string(index.lVal) : " <not an I4>";
        document_->record(call);
        if (!found) return E_POINTER;
        *found = nullptr;
        const bool wanted = name.vt == VT_BSTR && narrow(name.bstrVal) == "torvane_text_id";
        // While the document is still loading its elements do not exist yet.
        const bool parsed = std::string(document_->readyState()) == "interactive" ||
                            std::string(document_->readyState()) == "complete";
        if (!wanted || !parsed || !document_->hasTextElement()) return S_OK;
        return handOut<TestElement>(found, document_.Get());
    }
};

class TestTxtRange final : public DocumentPart<HtmlTxtRangeStub> {
public:
    explicit TestTxtRange(TestDocument* document) : DocumentPart(document, IID_IHTMLTxtRange) {}

    STDMETHODIMP collapse(VARIANT_BOOL start) override {
        document_->record(std::string("collapse ") + boolText(start));
        return S_OK;
    }
    STDMETHODIMP moveToElementText(IHTMLElement* element) override {
        document_->record(dynamic_cast<TestElement*>(element) ? "moveToElementText element"
                                                               : "moveToElementText other");
        return document_->moveToElementTextResult;
    }
    STDMETHODIMP select() override {
        document_->record("select");
        return S_OK;
    }
    STDMETHODIMP scrollIntoView(VARIANT_BOOL start) override {
        document_->record(std::string("scrollIntoView ") + boolText(start));
        return S_OK;
    }
};

class TestSelection final : public DocumentPart<HtmlSelectionObjectStub> {
public:
    explicit TestSelection(TestDocument* document) : DocumentPart(document, IID_IHTMLSelectionObject) {}

    STDMETHODIMP createRange(IDispatch** range) override {
        document_->record("createRange");
        return handOut<TestTxtRange>(range, document_.Get());
    }
};

class TestConnectionPoint final : public IConnectionPoint {
public:
    explicit TestConnectionPoint(TestDocument* document) : document_(document) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = --references_;
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = kDiidHtmlDocumentEvents2;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) return E_POINTER;
        *container = document_.Get();
        document_->AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override { return document_->advise(sink, cookie); }
    STDMETHODIMP Unadvise(DWORD cookie) override { return document_->unadvise(cookie); }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ~TestConnectionPoint() = default;
    ComPtr<TestDocument> document_;
    LONG references_ = 1;
};

}  // namespace

ComPtr<TestDocument> TestDocument::create() {
    ComPtr<TestDocument> document;
    *document.GetAddressOf() = new TestDocument();  // MinGW's Attach would add a reference
    return document;
}

TestDocument::TestDocument() {
    static unsigned lastSerial = 0;
    serial_ = ++lastSerial;
    liveDocumentsBySerial()[serial_] = this;
    // Aggregating the free-threaded marshaler makes the accessibility
    // library's marshaling hand back this very object inside the process.
    CoCreateFreeThreadedMarshaler(static_cast<IPersistStreamInit*>(this), freeThreadedMarshaler_.GetAddressOf());
}

TestDocument::~TestDocument() {
    liveDocumentsBySerial().erase(serial_);
    dropSinks();
}

std::size_t TestDocument::liveDocuments() { return liveDocumentsBySerial().size(); }

std::size_t TestDocument::sinksConnectedToLiveDocuments() {
    std::size_t sinks = 0;
    for (const auto& document : liveDocumentsBySerial()) sinks += document.second->connectedSinks();
    return sinks;
}

bool TestDocument::deliveringReadyStateChange() { return readyStateChangesBeingDelivered > 0; }

const char* TestDocument::readyState() const {
    switch (readyState_) {
        case ReadyState::Uninitialized: return "uninitialized";
        case ReadyState::Loading: return "loading";
        case ReadyState::Interactive: return "interactive";
        case ReadyState::Complete: return "complete";
    }
    return "uninitialized";
}

void TestDocument::startLoading() {
    ++load_;
    readyState_ = ReadyState::Loading;
    reportReadyState();
    PostMessageW(readyStateStepWindow(), kReadyStateStep, serial_, load_);
}

void TestDocument::advanceReadyState(unsigned load) {
    // A newer InitNew or Load took over: this load's steps are void.
    if (load != load_ || readyState_ == ReadyState::Complete) return;
    readyState_ = readyState_ == ReadyState::Loading ? ReadyState::Interactive : ReadyState::Complete;
    const ComPtr<TestDocument> alive(this);  // a sink may let the last outside reference go
    reportReadyState();
    if (readyState_ != ReadyState::Complete && load == load_)
        PostMessageW(readyStateStepWindow(), kReadyStateStep, serial_, load_);
}

void TestDocument::reportReadyState() {
    if (!reportsReadyState) return;
    record(std::string("readyState ") + readyState());
    ++readyStateChangesBeingDelivered;
    fire(kDispidReadyStateChange);
    --readyStateChangesBeingDelivered;
}

bool TestDocument::hasTextElement() const {
    switch (textElement) {
        case TextElement::Present: return true;
        case TextElement::Absent: return false;
        case TextElement::FromLoadedHtml: break;
    }
    return loadedBytes.find("id=\"torvane_text_id\"") != std::string::npos;
}

std::vector<HRESULT> TestDocument::fire(DISPID dispid, bool withResult) {
    std::vector<DWORD> cookies;
    for (const Connection& connection : sinks_) cookies.push_back(connection.cookie);
    std::vector<HRESULT> answers;
    for (DWORD cookie : cookies) {
        // A sink that an earlier one's event unadvised is no longer called.
        auto connection = std::find_if(sinks_.begin(), sinks_.end(),
                                       [cookie](const Connection& c) { return c.cookie == cookie; });
        if (connection == sinks_.end()) continue;
        IDispatch* sink = connection->sink;
        DISPPARAMS parameters = {};
        VARIANT result;
        VariantInit(&result);
        answers.push_back(sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                       withResult ? &result : nullptr, nullptr, nullptr));
        VariantClear(&result);
    }
    return answers;
}

std::vector<ULONG> TestDocument::sinkReferences() const {
    std::vector<ULONG> counts;
    for (const Connection& connection : sinks_) {
        connection.sink->AddRef();
        counts.push_back(connection.sink->Release());
    }
    return counts;
}

void TestDocument::dropSinks() {
    std::vector<Connection> sinks;
    sinks.swap(sinks_);
    for (const Connection& connection : sinks) connection.sink->Release();
}

STDMETHODIMP TestDocument::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    queriedInterfaces.push_back(iid);
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IPersistStreamInit) {
        *out = static_cast<IPersistStreamInit*>(this);
    } else if (iid == IID_IDispatch || iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2) {
        *out = static_cast<IHTMLDocument2*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
        *out = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == IID_IOleCommandTarget) {
        *out = static_cast<IOleCommandTarget*>(this);
    } else if (iid == IID_IMarshal && freeThreadedMarshaler_) {
        return freeThreadedMarshaler_->QueryInterface(iid, out);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestDocument::AddRef() {
    return static_cast<ULONG>(++references_);
}

STDMETHODIMP_(ULONG) TestDocument::Release() {
    if (whileReleased && !releasing_) {
        releasing_ = true;
        const std::function<void()> hook = whileReleased;
        hook();
        releasing_ = false;
    }
    const LONG count = --references_;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP TestDocument::get_readyState(BSTR* state) {
    if (!state) return E_POINTER;
    const std::string name = readyState();
    *state = SysAllocString(std::wstring(name.begin(), name.end()).c_str());
    return *state ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP TestDocument::get_all(IHTMLElementCollection** all) {
    record("get_all");
    return handOut<TestElementCollection>(all, this);
}

STDMETHODIMP TestDocument::get_selection(IHTMLSelectionObject** selection) {
    record("get_selection");
    return handOut<TestSelection>(selection, this);
}

STDMETHODIMP TestDocument::close() {
    record("close");
    return S_OK;
}

STDMETHODIMP TestDocument::Load(LPSTREAM stream) {
    record("Load");
    if (!stream) return E_POINTER;
    std::string().swap(loadedBytes);
    // Read at its size in one piece where the stream tells it: a large reply
    // is then held once, not grown by doubling.
    STATSTG status = {};
    if (SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) && status.cbSize.QuadPart < (1ull << 31)) {
        loadedBytes.reserve(static_cast<std::size_t>(status.cbSize.QuadPart));
    }
    char chunk[65536];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &read)) && read > 0) loadedBytes.append(chunk, read);
    startLoading();
    return S_OK;
}

STDMETHODIMP TestDocument::InitNew() {
    record("InitNew");
    loadedBytes.clear();
    startLoading();
    return S_OK;
}

STDMETHODIMP TestDocument::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    const bool events = iid == kDiidHtmlDocumentEvents2;
    record(events ? "FindConnectionPoint HTMLDocumentEvents2" : "FindConnectionPoint other");
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!events || !offersConnectionPoint) return CONNECT_E_NOCONNECTION;
    return handOut<TestConnectionPoint>(point, this);
}

STDMETHODIMP TestDocument::Exec(const GUID* group, DWORD command, DWORD option, VARIANT* in, VARIANT* out) {
    std::string call = "Exec ";
    call += group && *group == kCgidMshtml ? "CGID_MSHTML" : "other-group";
    call += " " + std::to_string(command) + " " + std::to_string(option);
    if (in) call += " with-input";
    if (out) call += " with-output";
    record(call);
    return S_OK;
}

HRESULT TestDocument::advise(IUnknown* sink, DWORD* cookie) {
    record("Advise");
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (FAILED(adviseResult)) return adviseResult;
    // Like the browser: the event interface itself, else plain IDispatch.
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(kDiidHtmlDocumentEvents2, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, dispatch});
    return S_OK;
}

HRESULT TestDocument::unadvise(DWORD cookie) {
    record("Unadvise");
    auto connection =
        std::find_if(sinks_.begin(), sinks_.end(), [cookie](const Connection& c) { return c.cookie == cookie; });
    if (connection == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = connection->sink;
    sinks_.erase(connection);
    unadviseReleaseCounts.push_back(sink->Release());
    return S_OK;
}

void runPendingMessages() {
    // Bounded, so that a window that never validates its paint fails a test
    // instead of hanging it.
    MSG message;
    for (int handled = 0; handled < 100000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++handled) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace wintest
