#pragma once

#include <QtGlobal>

#include <exception>
#include <utility>

namespace brindle {

// Runs the body of a Qt event handler so that no exception escapes into Qt's event loop;
// a failure is reported, not swallowed.
template <class Body>
void RunGuarded(const char* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& error) {
        qCritical("Balloon help: %s failed: %s", where, error.what());
    } catch (...) {
        qCritical("Balloon help: %s failed with an unknown exception", where);
    }
}

}  // namespace brindle
