#include "balloon/BalloonWindowClasses.h"

#include <utility>

namespace brindle {

BalloonClassRegistry::BalloonClassRegistry(Registrar registrar)
    : m_registrar(std::move(registrar)) {}

BalloonClassRegistry& BalloonClassRegistry::Process() {
    static BalloonClassRegistry registry;
    return registry;
}

const BalloonWindowClass* BalloonClassRegistry::RegisterBalloonClasses(bool wantDropShadow) {
    if (!m_plain) {
        auto registerRecord =
            [this](BalloonWindowClass record) -> std::optional<BalloonWindowClass> {
            if (m_registrar && !m_registrar(record)) {
                return std::nullopt;
            }
            return record;
        };
        m_dropShadow = registerRecord({kBalloonClassDropShadow, true});
        m_plain = registerRecord({kBalloonClassPlain, false});
    }
    if (wantDropShadow && m_dropShadow) {
        return &*m_dropShadow;
    }
    return m_plain ? &*m_plain : nullptr;
}

}  // namespace brindle
