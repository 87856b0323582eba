// Pushing a file's written data to the disk while it is being written.
#include "platform/file_sync.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <QtGlobal>

bool sync_file_data(int fd)
{
    if (fd < 0)
        return false;
#ifdef Q_OS_WIN
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
#else
    return ::fdatasync(fd) == 0;
#endif
}
