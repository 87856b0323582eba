// Pushing a file's written data to the disk while it is being written, so that closing it later waits little.
#pragma once

// Waits until the data written so far through the open file descriptor `fd` is on the disk. False when the
// system refuses (the caller carries on: the final commit syncs again and reports any failure).
bool sync_file_data(int fd);
