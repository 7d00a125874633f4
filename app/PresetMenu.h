#pragma once

#include <QMenu>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/DesktopServices.h"
#include "engine/RenameSettings.h"

// The Preview's "&Presets" menu, made afresh from the presets folder each time it opens:
// one entry per preset (a click lays it over the main dialog's options), "Save As...",
// "Overwrite" and "Delete" (submenus of the presets, each asking first), and "Start With
// This" (the presets and "None", the one the dialog starts with checked). A failure is
// told in a message box with the engine's words, and then nothing has changed.
class PresetMenu : public QMenu {
    Q_OBJECT

public:
    // What the main dialog does for the menu: its options as the controls show them now,
    // and a preset laid over them (nullopt, or why not; the options are then unchanged).
    struct Hooks {
        std::function<brindle::RenameSettings()> currentOptions;
        std::function<std::optional<std::u16string>(const std::u16string& name)> applyPreset;
    };

    // `folder` holds the presets, `startWithFile` names the one the dialog starts with.
    PresetMenu(QWidget* parent, brindle::DesktopServices& services, std::u16string folder,
               std::u16string startWithFile, Hooks hooks);

    // The entries for the presets there are now; each opening of the menu runs it.
    void Fill();
    // The entry for the preset `name` in the submenu titled `submenu` ("Overwrite",
    // "Delete", "Start With This"; empty: the menu itself), "None" of "Start With This" for
    // an empty name; null when there is none.
    QAction* presetAction(const QString& submenu, const std::u16string& name) const;
    // The entry or submenu titled `text` of the menu itself, or null.
    QAction* entry(const QString& text) const;

    // What the entries do.
    void Apply(const std::u16string& name);
    void SaveAs();
    void Overwrite(const std::u16string& name);
    void Delete(const std::u16string& name);
    void StartWith(const std::u16string& name);

private:
    // A submenu with an entry per preset, each calling `chosen` with its name.
    QMenu* AddPresetMenu(const QString& title, const std::vector<std::u16string>& names,
                         void (PresetMenu::*chosen)(const std::u16string&));
    void AddPresetAction(QMenu* menu, const std::u16string& name,
                         void (PresetMenu::*chosen)(const std::u16string&));
    // Saves the options now as `name`, or tells why not.
    void Save(const std::u16string& name);
    // A failure's message; a question answered Yes.
    void Tell(const std::u16string& message);
    bool Ask(const std::u16string& question);

    brindle::DesktopServices& services_;
    std::u16string folder_;
    std::u16string startWithFile_;
    Hooks hooks_;
};
