#pragma once

#include <QObject>
#include <QPointer>

class QEvent;

namespace brindle {

class CBalloonWnd;

// An event filter bound to one balloon: it hands every event of the watched object to one
// of the balloon's hook procedures and always lets the event go on. It removes itself when
// it is destroyed.
class BalloonHook final : public QObject {
public:
    using Procedure = void (CBalloonWnd::*)(QObject* watched, QEvent* event);

    BalloonHook(CBalloonWnd& balloon, Procedure procedure, QObject& watched);
    ~BalloonHook() override;

    BalloonHook(const BalloonHook&) = delete;
    BalloonHook& operator=(const BalloonHook&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CBalloonWnd& m_balloon;
    Procedure m_procedure;
    QPointer<QObject> m_watched;
};

}  // namespace brindle
