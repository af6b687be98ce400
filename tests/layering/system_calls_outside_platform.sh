#!/bin/sh
# Lists every line, in the source folders given, that reaches the system
# itself: a system header (POSIX or Windows), a direct call at global scope
# (::open, ::stat, ...) or a question which system it is built for. Such
# code belongs in platform/, behind a header that works on both systems.
# Exits 1 when there is any, 2 when a folder is missing.
status=0
for folder in "$@"; do
  if [ ! -d "$folder" ]; then
    echo "no such folder: $folder" >&2
    exit 2
  fi
done
headers='#[[:space:]]*include[[:space:]]*<(unistd|fcntl|dirent|dlfcn|pwd|grp|signal|poll|spawn|termios|syslog|windows|winsock2|io|direct|process|shlobj|shellapi)\.h>|#[[:space:]]*include[[:space:]]*<sys/'
calls='(^|[^[:alnum:]_:])::(open|openat|close|read|write|pread|pwrite|lseek|stat|lstat|fstat|fstatat|fsync|fdatasync|ftruncate|unlink|unlinkat|rename|renameat|mkdir|mkdirat|rmdir|link|linkat|symlink|readlink|access|faccessat|chmod|fchmod|umask|getpid|getuid|mkstemp|fdopendir|opendir|readdir|closedir|flock|fcntl|dup|dup2|pipe|fork|kill|waitpid|dlopen|dlsym|getenv|setenv|realpath|isatty|sysconf)[[:space:]]*\('
systems='#[[:space:]]*(if|ifdef|ifndef|elif).*(_WIN32|_WIN64|__linux__|__unix__|__APPLE__|_MSC_VER|__MINGW)'
for pattern in "$headers" "$calls" "$systems"; do
  if grep -rnE --include='*.c' --include='*.cc' --include='*.cpp' --include='*.h' --include='*.hpp' \
       --include='*.def' "$pattern" "$@"; then
    status=1
  fi
done
exit $status
