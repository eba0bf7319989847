// What a program of this project sets up before it opens any file.
#ifndef TREMVERT_DRIVER_STANDARD_STREAMS_H_
#define TREMVERT_DRIVER_STANDARD_STREAMS_H_

// Opens /dev/null for reading only on each of the descriptors 0, 1 and 2 that
// is closed, so that no file of the run takes the place of a standard stream
// (a message meant for standard error would land in a mapping file), while
// writing to a closed standard output still fails.
void Keep_Standard_Descriptors();

// Ignores the signals that a failed write can raise, SIGPIPE (a FIFO or pipe
// whose reader has gone) and SIGXFSZ (a file size limit), so that the write
// fails with an error that the run reports after closing its files in
// order, instead of the process ending at once.
void Ignore_Write_Signals();

#endif  // TREMVERT_DRIVER_STANDARD_STREAMS_H_
