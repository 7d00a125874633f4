#pragma once

#include <QPoint>
#include <QString>

#include <optional>

namespace brindle {
class BalloonServices;
}

// The program's string table (context help titles and texts) and the right-click help of
// the main dialog.

// The string of the table with this id; empty when there is none.
QString LoadHelpString(int stringId);

struct ContextHelpTexts {
    int titleId = 0;
    int textId = 0;
    QString title;
    QString text;
};

// Title and text for the control with this id; nullopt for controls without help (group
// boxes, static texts, spin boxes, the dialog itself).
std::optional<ContextHelpTexts> ContextHelpFor(int controlId);

// The one way a help text reaches the screen: a balloon at `globalPos` with the
// information icon that closes when the mouse moves (after a short delay). `services`
// gives the desktop's tooltip settings.
void ShowContextHelpBalloon(const QString& title, const QString& text, const QPoint& globalPos,
                            brindle::BalloonServices* services = nullptr);

// Closes every help balloon that is up, at once; false when none was.
bool CloseContextHelpBalloons();
