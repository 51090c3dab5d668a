#include "platform/host_api.h"

HostApi& hostApi() {
    static HostApi api;
    return api;
}
