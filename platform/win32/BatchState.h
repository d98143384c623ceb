#pragma once

#include "FileServices.h"

namespace mirado {

class SystemCalls;

// Each copy here opens what it needs itself; a batch keeps nothing.
struct FileServices::BatchState {
    explicit BatchState(SystemCalls& /*calls*/) {}
};

}  // namespace mirado
