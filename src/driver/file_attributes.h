// Who may read and write an output: the owner, group, permission bits,
// access control list and other extended attributes of an earlier file,
// given to the new file that replaces it.
#ifndef TREMVERT_DRIVER_FILE_ATTRIBUTES_H_
#define TREMVERT_DRIVER_FILE_ATTRIBUTES_H_

#include <sys/stat.h>

#include <string>

// Gives the file open on `to` the attributes of the earlier file open on
// `from`, whose status is `earlier`, as far as the system lets the user give
// them.  What cannot be given never gives anyone access that the earlier
// file did not: a group that cannot be kept loses the group's permission
// bits, an access control list that cannot be copied (or read) loses the
// group's and others' bits, and an owner that cannot be kept (only root may
// give a file away) leaves the user who ran the program the owner.  Other
// extended attributes that cannot be set are left out.  False, with the
// reason, when the permission bits cannot be set.  Throws std::bad_alloc.
bool Copy_Attributes(int from, int to, const struct stat& earlier,
                     std::string* err);

#endif  // TREMVERT_DRIVER_FILE_ATTRIBUTES_H_
