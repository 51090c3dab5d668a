#include "template/header_fetch.h"

#include "platform/host_api.h"

std::string fetchMessageHeader(HostBuffer& buffer, const std::string& name, int capacity) {
    buffer.clear();
    hostApi().BKA_GetSpecifiedHeader(name.c_str(), buffer.data(), capacity);
    return buffer.text();
}

std::string fetchComposeHeader(HostBuffer& buffer, HostWindow composeWindow, const std::string& name, int capacity) {
    buffer.clear();
    hostApi().BKA_CompGetSpecifiedHeader(composeWindow, name.c_str(), buffer.data(), capacity);
    return buffer.text();
}
