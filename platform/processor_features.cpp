#include "platform/processor_features.h"

namespace platform {

bool processorHasSse2() {
#if defined(__SSE2__)
    return true;
#elif defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
#else
    return false;
#endif
}

}  // namespace platform
