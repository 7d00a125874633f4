// The library's two entry points. Each call builds one about box, runs it and destroys it;
// nothing outlives the call.
//
// Host programs: the box needs a QApplication on the calling thread. A Qt program (Brindle)
// already has one, and its active window becomes the box's owner. A plain host without
// any application object gets a QApplication made for the call from a dummy command line
// and destroyed before the call returns. A host whose application object is not a
// QApplication, or a call from another thread, gets false: no box can be made there.

#include <QApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>

#include <exception>
#include <memory>

#include "CAboutDlg.h"
#include "KelvaneU.h"

namespace {

template <typename MakeBox>
bool RunAboutBox(MakeBox makeBox) {
    std::unique_ptr<QApplication> ownApplication;
    if (!QCoreApplication::instance()) {
        // QApplication keeps references to these for its whole life.
        static int argc = 1;
        static char name[] = "KelvaneU";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread())
        return false;

    // The owner may be destroyed while the box runs, taking its child with it.
    QPointer<CAboutDlg> box = makeBox(QApplication::activeWindow());
    const auto destroyBox = qScopeGuard([&box] { delete box.data(); });
    return box->Run();
}

// No exception may cross the C boundary; a box that cannot be made is a false result.
template <typename Call>
bool Guarded(Call call) noexcept {
    try {
        return call();
    } catch (const std::exception& error) {
        qWarning("KelvaneU: the about box failed: %s", error.what());
        return false;
    } catch (...) {
        qWarning("KelvaneU: the about box failed");
        return false;
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool AboutBox(const char16_t* text) {
    return Guarded([text] {
        // The library's own copy, released on every way out of the call.
        const QString copy = text ? QString::fromUtf16(text) : QString();
        return RunAboutBox([&copy](QWidget* owner) { return new CAboutDlg(owner, copy); });
    });
}

__attribute__((visibility("default"))) bool AboutBoxArray(const char16_t* const* lines,
                                                          std::size_t count) {
    return Guarded([lines, count] {
        return RunAboutBox(
            [lines, count](QWidget* owner) { return new CAboutDlg(owner, lines, count); });
    });
}

}  // extern "C"
