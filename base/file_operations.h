// The system calls behind the files the program writes, through one
// interface: the program uses the system's own (SystemFileOperations), tests
// one that notes the order of the calls or makes one of them fail.
//
// Every method is the system call of its name and behaves as it does: the
// same result, errno set on failure. Names are relative to a folder's
// descriptor; none of them follows a symbolic link unless its flags say so.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace qm {

class FileOperations {
public:
    virtual ~FileOperations() = default;

    virtual int OpenAt(int folder, const char* name, int flags, mode_t mode);  // openat
    virtual int Stat(int fd, struct stat& info);                                // fstat
    virtual int StatAt(int folder, const char* name, struct stat& info);        // fstatat, no link followed
    virtual ssize_t ReadLink(int fd, char* buffer, std::size_t size);           // readlinkat(fd, "")
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);               // read
    virtual ssize_t Write(int fd, const void* data, std::size_t size);          // write
    virtual int ChangeMode(int fd, mode_t mode);                                // fchmod
    virtual int Sync(int fd);                                                   // fsync
    virtual int Lock(int fd, int operation);                                    // flock
    virtual int RenameAt(int fromFolder, const char* from, int toFolder, const char* to);  // renameat
    virtual int UnlinkAt(int folder, const char* name);                         // unlinkat of a file
    // The names of a folder's entries ("." and ".." left out); false (errno
    // set) when it cannot be listed.
    virtual bool ListFolder(int folder, std::vector<std::string>& names);
    // The process's file-creation mask (Umask in /proc/self/status; 022 when
    // that cannot be read), read without changing it.
    virtual mode_t CreationMask();
};

// The system's calls.
FileOperations& SystemFileOperations();

// Writes all of `bytes` to `fd` through `ops`, again after a short write or
// an interruption. The error of the write that failed, or none.
std::error_code WriteAll(FileOperations& ops, int fd, std::string_view bytes);

}  // namespace qm
