#include "quandrelle/engine/RunStop.h"

#include <utility>

namespace quandrelle {

namespace {

// The token of the run on this thread; each thread has its own, so no run sees another's.
thread_local const std::stop_token* currentToken = nullptr;

}  // namespace

ScopedRunStop::ScopedRunStop(std::stop_token token) : m_token(std::move(token)), m_outer(currentToken) {
    currentToken = &m_token;
}

ScopedRunStop::~ScopedRunStop() {
    currentToken = m_outer;
}

void throwIfRunStopped() {
    if (currentToken != nullptr && currentToken->stop_requested()) {
        throw RunStopped();
    }
}

}  // namespace quandrelle
