#include "app/TokenMenu.h"

#include <QAction>

namespace {

constexpr TokenMenuEntry kDates[] = {
    {u"{taken}", "photo taken"},
    {u"{modified}", "last modified"},
    {u"{created}", "created, where kept"},
    {u"{now}", "batch start"},
    {u"{taken|modified}", "taken, else modified"},
    {nullptr, nullptr},
    {u"{taken:%Y%m%d_%H%M%S}", "20240305_140709"},
    {u"{taken:%Y-%m-%d}", "2024-03-05"},
    {u"{taken:%Y-%m-%d %H.%M.%S}", "2024-03-05 14.07.09"},
    {u"{taken|modified:%Y}", "the year"},
    {u"{modified:%Y%m%d}", "20240305"},
};

constexpr TokenMenuEntry kCamera[] = {
    {u"{exif.make}", "camera maker"},
    {u"{exif.model}", "camera model"},
    {u"{exif.lens}", "lens"},
    {u"{exif.iso}", "ISO speed"},
    {u"{exif.fnumber}", "f-number, 2.8"},
    {u"{exif.exposure}", "exposure, 1-250"},
    {u"{exif.focal}", "focal length in mm"},
    {u"{exif.width}", "width in pixels"},
    {u"{exif.height}", "height in pixels"},
};

constexpr TokenMenuEntry kMusic[] = {
    {u"{tag.artist}", "artist"},
    {u"{tag.albumartist}", "album artist"},
    {u"{tag.album}", "album"},
    {u"{tag.title}", "title"},
    {u"{tag.track:2}", "track, two digits"},
    {u"{tag.disc}", "disc number"},
    {u"{tag.year}", "year"},
    {u"{tag.genre}", "genre"},
    {u"{tag.composer}", "composer"},
};

constexpr TokenMenuEntry kNumbers[] = {
    {u"{n}", "place in the order: 1, 2, 3"},
    {u"{n:3}", "001, 002, 003"},
    {u"{n:3,start=10,step=10}", "010, 020, 030"},
    {u"{n:2,per-folder}", "01 again in each folder"},
};

constexpr TokenMenuGroup kGroups[] = {
    {"&Numbers", kNumbers},
    {"&Dates", kDates},
    {"&Camera", kCamera},
    {"&Music", kMusic},
};

// The key that holds an action's token.
constexpr char kTokenProperty[] = "token";

}  // namespace

std::span<const TokenMenuGroup> TokenMenuGroups() {
    return kGroups;
}

TokenMenu::TokenMenu(QWidget* parent) : QMenu(parent) {
    for (const TokenMenuGroup& group : kGroups) {
        QMenu* submenu = addMenu(QString::fromLatin1(group.title));
        for (const TokenMenuEntry& entry : group.entries) {
            if (entry.token == nullptr) {
                submenu->addSeparator();
                continue;
            }
            const QString token = QString::fromUtf16(entry.token);
            // The words in the column a shortcut would take, so that the tokens line up. A
            // token holds no '&', which would make a mnemonic of the next letter.
            QAction* action = submenu->addAction(token + u'\t' + QString::fromLatin1(entry.words));
            action->setProperty(kTokenProperty, token);
            connect(action, &QAction::triggered, this, [this, token] { emit tokenChosen(token); });
        }
    }
}

QAction* TokenMenu::actionFor(const QString& token) const {
    for (const QAction* item : actions()) {
        if (QMenu* submenu = item->menu()) {
            for (QAction* action : submenu->actions())
                if (action->property(kTokenProperty).toString() == token)
                    return action;
        }
    }
    return nullptr;
}
