#pragma once
// A kernel handle closed when its owner ends.

#include <memory>
#include <type_traits>
#include <windows.h>

namespace kestrune {

struct THandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};

using TUniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, THandleCloser>;

} // namespace kestrune
