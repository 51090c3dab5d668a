// A simulation of the host mail client: the state behind the BKA_ functions
// of host_functions.h. Tests (native and under wine) and the torvane tool
// configure it, let the plug-in's code call the host through hostApi(), and
// read back what was recorded.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/file_text.h"
#include "platform/host_types.h"

namespace hostsim {

// The message being answered, as the host hands it out.
struct SimMessage {
    std::string id = "1";
    std::string rawSource;                                  // BKA_GetSource
    // Where a host that does not keep rawSource in memory reads it from, as
    // a mail client reads its store: the file, from sourceOffset on. Used
    // while rawSource is empty.
    std::string sourceFile;
    std::size_t sourceOffset = 0;
    std::string bodyText;                                   // BKA_GetText
    std::string bodyMimeType = "text/html";                 // BKA_GetText's type buffer
    std::vector<std::pair<std::string, std::string>> headers;  // BKA_GetSpecifiedHeader (decoded)
    std::string charset;                                    // BKA_GetCharSet
};

// One compose window as the host keeps it.
struct SimComposition {
    std::string subject;   // BKA_CompGetSpecifiedHeader("Subject")
    std::string source;    // BKA_CompGetSource / BKA_CompSetSource
    std::string bodyText;  // BKA_CompSetText
};

struct RegisteredCommand {
    std::string name;
    int menuKind = 0;
    HostCommandCallback callback = nullptr;
    int id = 0;
};

class SimHost {
public:
    // Configuration. Folders end in the platform's path separator.
    std::string version = "2.00.07";
    std::string dataFolder;
    std::string currentMailBox;
    std::string tempFolder;
    std::string currentFolder = "Inbox";
    SimMessage message;
    // The code page that BKA_UTF_8, BKA_UTF_7 and BKA_MIMEHeader convert into.
    std::string localCodePage = "UTF-8";
    std::map<HostWindow, SimComposition> compositions;
    // Answers BKA_ComposeMail; without one no window is opened (null).
    std::function<HostWindow()> composeMailHandler;
    HostWindow windowHandles[4] = {nullptr, nullptr, nullptr, nullptr};
    // A host out of memory: BKA_Alloc and BKA_ReAlloc hand out no block.
    bool allocationsFail = false;
    // Not 0: only blocks of exactly this size are refused.
    std::size_t refusedAllocationSize = 0;
    // A source served from its file is handed out as the file's private
    // mapping rather than read into a block (the tool's host, which runs
    // where the message file is; the test hosts read it, as a mail client
    // holding it in memory does).
    bool mapsSourceFile = false;

    // What the plug-in did.
    std::vector<std::string> calls;  // "BKA_Name" of every call, in order
    // Off in the tools, which never read `calls`: a message of thousands of
    // parts makes tens of thousands of calls.
    bool recordsCalls = true;
    std::vector<RegisteredCommand> commands;
    int nextCommandId = 40001;

    // Blocks handed out by BKA_Alloc (and the host functions that return
    // blocks) and not yet given back; frees of unknown blocks are counted.
    std::size_t outstandingBlocks() const { return blocks_.size(); }
    std::size_t invalidFrees() const { return invalidFrees_; }
    // The size a block was allocated with; 0 for a block the host never gave.
    std::size_t blockSize(const void* block) const;
    void* allocate(std::size_t size);
    void release(void* block);
    // Hands out a mapped file's text from `begin` on as a block (its size
    // with the NUL); release() unmaps it.
    char* adopt(platform::FileText text, std::size_t begin = 0);
    // A mapping of the source file that the host's caller already holds,
    // the source from `begin` on: the next source served from the file is
    // this mapping, not a new one. A fresh mapping of a large file costs a
    // page fault, or on some virtual machines a trap, for each of its pages
    // on first touch, however often their bytes were read through another.
    void offerSourceMapping(platform::FileText mapping, std::size_t begin);
    // The offered mapping as a block, or null where none is left.
    char* takeOfferedSource();

    // Host-owned return texts stay valid until the next call of the same function.
    const char* keep(const std::string& slot, std::string text);

    int countCalls(const std::string& name) const;

    // The value of the message's first header named `name` (any case), or
    // null. Looked up in an index once indexMessageHeaders() has run for
    // headers that stay as they are, as the tool's do (a message with many
    // headers and a template with many %h would otherwise cost their
    // product); else one by one.
    const std::string* messageHeader(const char* name) const;
    void indexMessageHeaders();
    void reset();  // back to a freshly started host; outstanding blocks are freed

    ~SimHost();

private:
    void freeBlocks();  // every block handed out, freed or unmapped

    std::map<void*, std::size_t> blocks_;
    std::map<void*, platform::FileText> mapped_;  // adopted blocks among blocks_
    std::optional<platform::FileText> offeredSource_;
    std::size_t offeredBegin_ = 0;
    std::size_t invalidFrees_ = 0;
    std::map<std::string, std::string> kept_;
    std::unordered_map<std::string, std::size_t> headerIndex_;  // lower-case name -> first entry
    const void* indexedHeaders_ = nullptr;
    std::size_t indexedCount_ = 0;
};

SimHost& simHost();

// Fills hostApi() with the simulated BKA_ functions (native programs; under
// wine the plug-in binds them by name from the test host executable).
void installSimulatedHost();

}  // namespace hostsim
