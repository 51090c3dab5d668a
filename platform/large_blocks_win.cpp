#include "platform/large_blocks.h"

namespace platform {

// Windows gives no call for pages about to be written; they fault in.
void prepareForWriting(char*, std::size_t) {}

}  // namespace platform
