// Linked into the Linux tool only: every block of a megabyte or more (the
// message's text, its body, its HTML, the rendering) gets a mapping of its
// own, given back to the system when freed. Without this glibc raises the
// threshold after the first large free, and the next large blocks come from
// the heap, which keeps freed memory: a 25 MB message then peaks a third
// higher.
#include <malloc.h>

namespace {

constexpr int kOwnMappingBytes = 1 << 20;
[[maybe_unused]] const bool kThresholdSet = mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes) == 1;

}  // namespace
