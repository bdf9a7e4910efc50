#pragma once

#include <unistd.h>

#include "domain/UniqueHandle.h"

namespace zelvorin {

// A file descriptor this process owns (a socket, an eventfd, an open file): closed exactly once,
// -1 when empty.
using FileDescriptor = UniqueHandle<int, ::close, -1>;

}  // namespace zelvorin
