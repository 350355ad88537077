#!/usr/bin/env bash
# Fails when a source file outside platform/ includes an operating-system header: the
# operating system is reached only through the platform layer. The programs in tools/ (and
# their tests in tests/tools/) and the C host of tests/include/, written against the public
# header alone, reach it themselves.
set -u
root=${1:-.}
cd "$root" || exit 2
pattern='#[[:space:]]*include[[:space:]]*<(windows|winbase|winuser|winsock2?|ws2tcpip|objbase|oleauto|ole2|shlobj|unistd|dlfcn|pthread|fcntl|termios|poll|signal|iconv|sys/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+)\.h>'
hits=$(git ls-files -co --exclude-standard -- '*.h' '*.hpp' '*.c' '*.cpp' '*.cc' 2>/dev/null \
  | grep -v -E '^(platform|tools|tests/tools|tests/include|build[^/]*)/' \
  | xargs -r grep -n -E "$pattern" 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Operating-system headers outside platform/:"
  echo "$hits"
  exit 1
fi
echo "No operating-system header outside platform/."
