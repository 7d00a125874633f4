#include "balloon/BalloonHook.h"

#include <functional>

#include "balloon/BalloonGuard.h"
#include "balloon/BalloonWnd.h"

namespace brindle {

BalloonHook::BalloonHook(CBalloonWnd& balloon, Procedure procedure, QObject& watched)
    : m_balloon(balloon), m_procedure(procedure), m_watched(&watched) {
    watched.installEventFilter(this);
}

BalloonHook::~BalloonHook() {
    if (m_watched) {
        m_watched->removeEventFilter(this);
    }
}

bool BalloonHook::eventFilter(QObject* watched, QEvent* event) {
    CBalloonWnd& balloon = m_balloon;
    const Procedure procedure = m_procedure;
    RunGuarded("event filter", [&balloon, procedure, watched, event] {
        std::invoke(procedure, balloon, watched, event);
    });
    return false;
}

}  // namespace brindle
