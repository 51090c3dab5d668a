// Header lookups of a rendering, all through the rendering's one header
// buffer. The buffer is emptied before every lookup: a host that writes
// nothing for an absent header must give an empty value, not the value of
// the header fetched before it.
#pragma once

#include <string>

#include "platform/host_buffer.h"
#include "platform/host_types.h"

constexpr int kHeaderBufferSize = 32768;
constexpr int kHeaderCapacity = 32767;
constexpr int kDateCapacity = 1024;

// A header of the message being replied to or forwarded.
std::string fetchMessageHeader(HostBuffer& buffer, const std::string& name, int capacity);

// A header of the compose window.
std::string fetchComposeHeader(HostBuffer& buffer, HostWindow composeWindow, const std::string& name, int capacity);
