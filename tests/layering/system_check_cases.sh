#!/bin/sh
# The check of system calls outside platform/, run on generated sources: each
# row is a line of code and whether the check must refuse it.
check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
row() {
  expected="$1"
  line="$2"
  rm -rf "$work/src" && mkdir -p "$work/src/sub"
  printf '%s\n' "namespace x {" "$line" "}" > "$work/src/sub/Case.cpp"
  sh "$check" "$work/src" > "$work/out" 2>&1
  got=$?
  if [ "$expected" = refused ] && [ "$got" -ne 1 ]; then
    echo "not refused: $line"
    failures=$((failures + 1))
  elif [ "$expected" = taken ] && [ "$got" -ne 0 ]; then
    echo "refused: $line"; cat "$work/out"
    failures=$((failures + 1))
  fi
}
row refused '#include <unistd.h>'
row refused '#include <fcntl.h>'
row refused '#  include <sys/stat.h>'
row refused '#include <dirent.h>'
row refused '#include <dlfcn.h>'
row refused '#include <pwd.h>'
row refused '#include <signal.h>'
row refused '#include <poll.h>'
row refused '#include <spawn.h>'
row refused '#include <windows.h>'
row refused 'int f(int fd) { return ::fsync(fd); }'
row refused 'int g(const char* p) { return ::open(p, 0); }'
row refused 'void h(const char* p) { struct stat st; (void)::stat(p, &st); }'
row refused 'bool k() { return (::access("a", 4)) == 0; }'
row refused '#ifdef _WIN32'
row refused '#if defined(__linux__)'
row taken '#include <cstdio>'
row taken '#include <ctime>'
row taken '#include "platform/FileFacts.h"'
row taken 'int f() { return std::rename("a", "b"); }'
row taken 'int g() { return platform::files::removeFile("a"); }'
row taken 'void h(Q& q) { q.open("a"); Stream::close(1); }'
# A missing folder is an error of its own, never a pass.
sh "$check" "$work/none" > /dev/null 2>&1
if [ $? -ne 2 ]; then
  echo "a missing folder passed"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
