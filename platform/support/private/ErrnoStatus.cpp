// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Errors.h>

#include <cstdio>
#include <cstring>

int
status_from_errno(int e)
{
	switch (e) {
	case 0:
		return B_OK;
	case ENOMEM:
		return B_NO_MEMORY;
	case EIO:
		return B_IO_ERROR;
	case EACCES:
	case EPERM:
		return B_PERMISSION_DENIED;
	case EINVAL:
		return B_BAD_VALUE;
	case ETIMEDOUT:
		return B_TIMED_OUT;
	case EINTR:
		return B_INTERRUPTED;
	case EAGAIN:
		return B_WOULD_BLOCK;
	case ECANCELED:
		return B_CANCELED;
	case EBUSY:
		return B_BUSY;
	case ENOENT:
		return B_ENTRY_NOT_FOUND;
	case ENODATA:
		return B_ENTRY_NOT_FOUND;
	case EEXIST:
		return B_FILE_EXISTS;
	case ENAMETOOLONG:
		return B_NAME_TOO_LONG;
	case ENOTDIR:
		return B_NOT_A_DIRECTORY;
	case ENOTEMPTY:
		return B_DIRECTORY_NOT_EMPTY;
	case ENOSPC:
	case EDQUOT:
		return B_DEVICE_FULL;
	case EROFS:
		return B_READ_ONLY_DEVICE;
	case EISDIR:
		return B_IS_A_DIRECTORY;
	case EMFILE:
	case ENFILE:
		return B_NO_MORE_FDS;
	case EXDEV:
		return B_CROSS_DEVICE_LINK;
	case ELOOP:
		return B_LINK_LIMIT;
	case EPIPE:
		return B_BUSTED_PIPE;
	case EBADF:
		return B_FILE_ERROR;
	case EOVERFLOW:
		return B_BUFFER_OVERFLOW;
	case EFBIG:
	case E2BIG:
		return B_FILE_TOO_LARGE;
	case ERANGE:
		return B_RESULT_NOT_REPRESENTABLE;
	case EOPNOTSUPP:
		return B_NOT_SUPPORTED;
	default:
		fprintf(stderr, "status_from_errno: no Be code for errno %d (%s)\n", e, strerror(e));
		return B_POSIX_ERROR_BASE + e;
	}
}

const char*
strerror_be(int status)
{
	switch (status) {
	case B_OK:
		return "No error";
	case B_ERROR:
		return "General error";
	case B_NO_MEMORY:
		return "Out of memory";
	case B_IO_ERROR:
		return "I/O error";
	case B_PERMISSION_DENIED:
		return "Permission denied";
	case B_BAD_INDEX:
		return "Index not in range for the data set";
	case B_BAD_TYPE:
		return "Bad argument type passed to function";
	case B_BAD_VALUE:
		return "Bad value";
	case B_MISMATCHED_VALUES:
		return "Mismatched values passed to function";
	case B_NAME_NOT_FOUND:
		return "Name not found";
	case B_NAME_IN_USE:
		return "Name in use";
	case B_TIMED_OUT:
		return "Operation timed out";
	case B_INTERRUPTED:
		return "Interrupted system call";
	case B_WOULD_BLOCK:
		return "Operation would block";
	case B_CANCELED:
		return "Operation canceled";
	case B_NO_INIT:
		return "Initialization failed";
	case B_BUSY:
		return "Device/File/Resource busy";
	case B_NOT_ALLOWED:
		return "Operation not allowed";
	case B_BAD_DATA:
		return "Bad data";
	case B_DONT_DO_THAT:
		return "Don't do that!";
	case B_BAD_HANDLER:
		return "Bad handler";
	case B_LAUNCH_FAILED:
		return "Launch failed";
	case B_UNKNOWN_MIME_TYPE:
		return "Unknown MIME type";
	case B_LAUNCH_FAILED_APP_NOT_FOUND:
		return "Application not found";
	case B_LAUNCH_FAILED_NO_PREFERRED_APP:
		return "No preferred application";
	case B_FILE_ERROR:
		return "Bad file descriptor";
	case B_FILE_EXISTS:
		return "File exists";
	case B_ENTRY_NOT_FOUND:
		return "No such file or directory";
	case B_NAME_TOO_LONG:
		return "File or Directory name too long";
	case B_NOT_A_DIRECTORY:
		return "Not a directory";
	case B_DIRECTORY_NOT_EMPTY:
		return "Directory not empty";
	case B_DEVICE_FULL:
		return "No space left on device";
	case B_READ_ONLY_DEVICE:
		return "Read-only file system";
	case B_IS_A_DIRECTORY:
		return "Is a directory";
	case B_NO_MORE_FDS:
		return "Too many open files";
	case B_CROSS_DEVICE_LINK:
		return "Cross-device link";
	case B_LINK_LIMIT:
		return "Too many symbolic links";
	case B_BUSTED_PIPE:
		return "Broken pipe";
	case B_UNSUPPORTED:
		return "Operation not supported";
	case B_BUFFER_OVERFLOW:
		return "Value too large for defined data type";
	case B_FILE_TOO_LARGE:
		return "File too large";
	case B_RESULT_NOT_REPRESENTABLE:
		return "Result not representable";
	case B_NOT_SUPPORTED:
		return "Operation not supported";
	}
	if (status > B_POSIX_ERROR_BASE && status < B_POSIX_ERROR_BASE + 0x1000)
		return strerror(status - B_POSIX_ERROR_BASE);
	return "Unknown error";
}
