#pragma once

// The two window-class records a balloon window is made from: one with the desktop's drop
// shadow, one without. They are registered once per registry and never unregistered.

#include <functional>
#include <optional>
#include <string>

namespace brindle {

struct BalloonWindowClass {
    std::u16string name;
    bool dropShadow = false;
};

inline constexpr char16_t kBalloonClassDropShadow[] = u"BalloonHelpClassDS";
inline constexpr char16_t kBalloonClassPlain[] = u"BalloonHelpClass";

class BalloonClassRegistry {
public:
    // Decides whether a record can be registered; the process registry accepts every record.
    using Registrar = std::function<bool(const BalloonWindowClass&)>;

    explicit BalloonClassRegistry(Registrar registrar = {});

    // The registry every balloon consults unless it is given another.
    static BalloonClassRegistry& Process();

    // Registers both records on the first call (and again while the plain one is missing).
    // Returns the drop-shadow record when it is wanted and registered, else the plain
    // record; nullptr when neither is available.
    const BalloonWindowClass* RegisterBalloonClasses(bool wantDropShadow);

private:
    Registrar m_registrar;
    std::optional<BalloonWindowClass> m_dropShadow;
    std::optional<BalloonWindowClass> m_plain;
};

}  // namespace brindle
