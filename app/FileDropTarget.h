#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>

class QWidget;

// Drops of files and folders on one window: a drag that carries URLs is taken while
// `accepting` says so, anything else is refused; a drop taken hands its URLs on. Installed
// as the window's event filter (drops over a child that takes none reach the window).
class FileDropTarget : public QObject {
    Q_OBJECT

public:
    // `accepting` empty: drops are always taken. The window takes drops from now on.
    explicit FileDropTarget(QWidget* window, std::function<bool()> accepting = {},
                            QObject* parent = nullptr);
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

signals:
    // Sent while the drop is delivered; the drop counts as accepted.
    void dropped(const QList<QUrl>& urls);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Accepting() const { return !accepting_ || accepting_(); }

    std::function<bool()> accepting_;
};
