// Handing memory the program has freed back to the system.
#include "platform/memory_release.h"

#include <cstdlib>   // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void share_one_heap_between_threads()
{
#if defined(__GLIBC__)
    ::mallopt(M_ARENA_MAX, 1);
#endif
}

void give_back_freed_memory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace platform
