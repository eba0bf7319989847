// What a program of this project sets up before it opens any file.
#ifndef TREMVERT_DRIVER_STANDARD_STREAMS_H_
#define TREMVERT_DRIVER_STANDARD_STREAMS_H_

// Opens /dev/null for reading only on each of the descriptors 0, 1 and 2 that
// is closed, so that no file of the run takes the place of a standard stream
// (a message meant for standard error would land in a mapping file), while
// writing to a closed standard output still fails.
void Keep_Standard_Descriptors();

// Ignores SIGXFSZ, which a file size limit (ulimit -f) raises, so that the
// write fails with an error that the program reports, instead of the process
// ending at once without a word.
void Ignore_File_Size_Signal();

// Ignores SIGXFSZ and SIGPIPE (a FIFO or pipe whose reader has gone), so that
// the write fails with an error that the run reports after closing its files
// in order.
void Ignore_Write_Signals();

#endif  // TREMVERT_DRIVER_STANDARD_STREAMS_H_
