#!/usr/bin/python3
# hanging_share.py <source> <mount> <flag>: mounts <source> read-only at
# <mount> with FUSE; while the file <flag> exists every look-up and read
# waits, as on a hard NFS or SMB mount whose server went away.
import errno, os, sys, time

try:
    from fusepy import FUSE, FuseOSError, Operations
except ImportError:
    from fuse import FUSE, FuseOSError, Operations

source, mount, flag = sys.argv[1:4]


class Hanging(Operations):
    def _path(self, path):
        while os.path.exists(flag):
            time.sleep(0.05)
        return os.path.join(source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {k: getattr(st, k) for k in ("st_mode", "st_size", "st_nlink", "st_uid",
                                            "st_gid", "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        self._path(path)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


FUSE(Hanging(), mount, foreground=True, ro=True)
