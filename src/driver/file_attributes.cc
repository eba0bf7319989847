// Attributes of a replaced file.  See the header.
#include "driver/file_attributes.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "driver/fatal_failure.h"
#include "text/file_system.h"

namespace {

// The extended attribute that holds a file's access control list.
constexpr const char* kAccess_List = "system.posix_acl_access";

// The value of the attribute `name` of `from`; false when it cannot be read.
bool Read_Attribute(int from, const char* name, std::vector<char>& value) {
  const ssize_t size = System().Fgetxattr(from, name, nullptr, 0);
  if (size < 0) return false;
  value.resize(static_cast<size_t>(size));
  const ssize_t n = System().Fgetxattr(from, name, value.data(), value.size());
  if (n < 0) return false;
  value.resize(static_cast<size_t>(n));
  return true;
}

// Copies every extended attribute of `from` that the system lets the user
// set.  False when an access control list may have been lost: the list of
// attributes cannot be read, or the access control list cannot be copied,
// or a list that the new file took from its folder, and the earlier file
// did not have, cannot be taken off.
bool Copy_Extended_Attributes(int from, int to) {
  const ssize_t size = System().Flistxattr(from, nullptr, 0);
  std::vector<char> names(size > 0 ? static_cast<size_t>(size) : 0);
  ssize_t n = size;
  if (size > 0) n = System().Flistxattr(from, names.data(), names.size());
  if (n < 0) return errno == ENOTSUP;  // a file system without them
  bool access_list = false, kept = true;
  std::vector<char> value;
  for (const char* name = names.data(); name < names.data() + n;
       name += std::strlen(name) + 1) {
    const bool is_list = std::strcmp(name, kAccess_List) == 0;
    access_list |= is_list;
    if (!Read_Attribute(from, name, value) ||
        System().Fsetxattr(to, name, value.data(), value.size()) != 0)
      kept &= !is_list;  // others, such as a security label, are left out
  }
  if (!access_list && System().Fremovexattr(to, kAccess_List) != 0 &&
      errno != ENODATA && errno != ENOTSUP)
    kept = false;
  return kept;
}

}  // namespace

bool Copy_Attributes(int from, int to, const struct stat& earlier,
                     std::string* err) {
  mode_t mode = earlier.st_mode & 07777;
  struct stat now;
  if (System().Fstat(to, &now) != 0) {
    *err = Reason_Of(errno);
    return false;
  }
  // The new file's own owner and group (a folder's set-group-ID bit gives it
  // the folder's group), not the user's, are compared with the earlier ones.
  if ((now.st_uid != earlier.st_uid || now.st_gid != earlier.st_gid) &&
      System().Fchown(to, earlier.st_uid, earlier.st_gid) != 0) {
    mode &= ~S_ISUID;
    if (now.st_gid != earlier.st_gid &&
        System().Fchown(to, static_cast<uid_t>(-1), earlier.st_gid) != 0)
      mode &= ~(S_ISGID | S_IRWXG);
  }
  if (!Copy_Extended_Attributes(from, to)) mode &= ~(S_IRWXG | S_IRWXO);
  // Set last: on a file with an access control list, the group's bits are
  // the list's mask, which the earlier file's bits then restore.
  if (System().Fchmod(to, mode) != 0) {
    *err = Reason_Of(errno);
    return false;
  }
  return true;
}
