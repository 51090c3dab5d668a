#include "platform/large_blocks.h"

namespace platform {

// Large pages need a privilege that a mail client's user does not have.
void adviseLargeBlock(void*, std::size_t) {}

}  // namespace platform
