// Handing memory the program has freed back to the system.
#pragma once

namespace platform {

// Has every thread allocate from the one main heap. The C library gives a thread that allocates alongside
// another a heap of its own, and keeps the top of such a heap when it is freed; the file readers' and writers'
// threads would then go on holding tens of megabytes each after the records they made are let go. Call first
// thing in main, before any thread is started.
void share_one_heap_between_threads();

// Returns the freed parts of the heap to the system: the C library keeps freed blocks for reuse, and after long
// records are let go it would go on holding most of their memory.
void give_back_freed_memory();

}  // namespace platform
