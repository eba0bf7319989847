// What a program of this project sets up before it opens any file.
#ifndef TREMVERT_DRIVER_STANDARD_STREAMS_H_
#define TREMVERT_DRIVER_STANDARD_STREAMS_H_

// Opens /dev/null for reading only on each of the descriptors 0, 1 and 2 that
// is closed, so that no file of the run takes the place of a standard stream
// (a message meant for standard error would land in a mapping file), while
// writing to a closed standard output still fails.  Ignores SIGXFSZ, so that a
// file size limit fails a write with an error the run reports, rather than
// ending the process.
void Prepare_Standard_Streams();

#endif  // TREMVERT_DRIVER_STANDARD_STREAMS_H_
