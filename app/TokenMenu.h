#pragma once

#include <QMenu>
#include <QString>

#include <span>

// One entry of the token menu: the text it puts into the name pattern and a few words on
// what that gives. An entry without a token is a separator.
struct TokenMenuEntry {
    const char16_t* token;
    const char* words;
};

// A submenu of the token menu: its title and its entries.
struct TokenMenuGroup {
    const char* title;
    std::span<const TokenMenuEntry> entries;
};

// The groups the menu shows, in order: dates, camera data, music tags.
std::span<const TokenMenuGroup> TokenMenuGroups();

// The menu of the name pattern's "{...}" button: a submenu per group, each entry its token
// with its words beside it. Choosing one tells which token; the dialog puts it into the
// pattern.
class TokenMenu : public QMenu {
    Q_OBJECT

public:
    explicit TokenMenu(QWidget* parent);

    // The action of the entry whose token is `token`, or null.
    QAction* actionFor(const QString& token) const;

signals:
    void tokenChosen(const QString& token);
};
