#include "tools/hostsim/sim_host.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/host_api.h"
#include "tools/hostsim/host_functions.h"

namespace hostsim {

SimHost& simHost() {
    static SimHost host;
    return host;
}

void* SimHost::allocate(std::size_t size) {
    // A writable block, as the host promises, not a cleared one: builds with
    // assertions fill it, so that code counting on zeros fails its tests,
    // and the optimised tool does not clear the 32 KB buffers it fills.
    void* block = std::malloc(size == 0 ? 1 : size);
#ifndef NDEBUG
    if (block) std::memset(block, 0xA5, size);
#endif
    if (block) blocks_[block] = size;
    return block;
}

void SimHost::release(void* block) {
    if (!block) return;
    const auto found = blocks_.find(block);
    if (found == blocks_.end()) {
        ++invalidFrees_;
        return;
    }
    blocks_.erase(found);
    if (mapped_.erase(block) == 0) std::free(block);
}

char* SimHost::adopt(platform::FileText text, std::size_t begin) {
    char* block = text.data() + begin;
    blocks_[block] = text.size() - begin + 1;
    mapped_.emplace(block, std::move(text));
    return block;
}

void SimHost::offerSourceMapping(platform::FileText mapping, std::size_t begin) {
    offeredSource_ = std::move(mapping);
    offeredBegin_ = begin;
}

char* SimHost::takeOfferedSource() {
    if (!offeredSource_) return nullptr;
    char* block = adopt(std::move(*offeredSource_), offeredBegin_);
    offeredSource_.reset();
    return block;
}

std::size_t SimHost::blockSize(const void* block) const {
    const auto found = blocks_.find(const_cast<void*>(block));
    return found == blocks_.end() ? 0 : found->second;
}

const char* SimHost::keep(const std::string& slot, std::string text) {
    std::string& kept = kept_[slot];
    kept = std::move(text);
    return kept.c_str();
}

int SimHost::countCalls(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

namespace {

std::string lowerCase(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

const std::string* SimHost::messageHeader(const char* name) const {
    if (!name) return nullptr;
    const std::string wanted = lowerCase(name);
    const auto& headers = message.headers;
    if (indexedHeaders_ == headers.data() && indexedCount_ == headers.size()) {
        const auto found = headerIndex_.find(wanted);
        if (found == headerIndex_.end()) return nullptr;
        // An entry renamed since the index was made is looked for one by one.
        if (lowerCase(headers[found->second].first) == wanted) return &headers[found->second].second;
    }
    for (const auto& header : headers) {
        if (header.first.size() == wanted.size() && lowerCase(header.first) == wanted) return &header.second;
    }
    return nullptr;
}

void SimHost::indexMessageHeaders() {
    headerIndex_.clear();
    for (std::size_t i = 0; i < message.headers.size(); ++i) headerIndex_.emplace(lowerCase(message.headers[i].first), i);
    indexedHeaders_ = message.headers.data();
    indexedCount_ = message.headers.size();
}

void SimHost::reset() {
    freeBlocks();
    offeredSource_.reset();
    invalidFrees_ = 0;
    kept_.clear();
    headerIndex_.clear();
    indexedHeaders_ = nullptr;
    indexedCount_ = 0;
    version = "2.00.07";
    dataFolder.clear();
    currentMailBox.clear();
    tempFolder.clear();
    currentFolder = "Inbox";
    message = SimMessage();
    localCodePage = "UTF-8";
    compositions.clear();
    composeMailHandler = nullptr;
    std::fill(std::begin(windowHandles), std::end(windowHandles), nullptr);
    allocationsFail = false;
    refusedAllocationSize = 0;
    mapsSourceFile = false;
    calls.clear();
    recordsCalls = true;
    commands.clear();
    nextCommandId = 40001;
}

SimHost::~SimHost() { freeBlocks(); }

void SimHost::freeBlocks() {
    for (auto& block : blocks_) {
        if (mapped_.count(block.first) == 0) std::free(block.first);
    }
    blocks_.clear();
    mapped_.clear();  // unmapped
}

void installSimulatedHost() {
    HostApi& api = hostApi();
    api = HostApi();
    api.hostModule = &simHost();
#define TORVANE_INSTALL_SIM_FUNCTION(name, type) api.BKA_##name = reinterpret_cast<type>(&::BKA_##name);
    TORVANE_REQUIRED_HOST_FUNCTIONS(TORVANE_INSTALL_SIM_FUNCTION)
    TORVANE_OPTIONAL_HOST_FUNCTIONS(TORVANE_INSTALL_SIM_FUNCTION)
#undef TORVANE_INSTALL_SIM_FUNCTION
}

}  // namespace hostsim
