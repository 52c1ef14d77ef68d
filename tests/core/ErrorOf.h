#pragma once
// The number of the Error a call raises (0 when it raises none), so a test can
// say which error the runtime's rules demand.
#include "core/Error.h"

#include <functional>

inline long errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.number;
    }
    return 0;
}
