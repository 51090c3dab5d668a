// What the processor can do beyond the build's baseline: the i686 builds are
// made for processors without SSE2 and use it only where it is there.
#pragma once

namespace platform {

// SSE2: always on x86-64 and wherever the build assumes it; an i686 build
// asks the processor, again on each call (callers that run often keep the
// answer); false off x86.
bool processorHasSse2();

}  // namespace platform
