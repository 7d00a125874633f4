#include "app/PresetMenu.h"

#include <QAction>
#include <QActionGroup>

#include <algorithm>

#include "app/QtText.h"
#include "app/Safely.h"
#include "engine/Presets.h"
#include "platform/FileSystem.h"

using brindle::BoxIcon;
using brindle::MessageButtons;
using brindle::MessageResult;

namespace {

constexpr char16_t kSaveAs[] = u"Save As...";
constexpr char16_t kOverwrite[] = u"Overwrite";
constexpr char16_t kDelete[] = u"Delete";
constexpr char16_t kStartWith[] = u"Start With This";
constexpr char16_t kNone[] = u"None";
constexpr char16_t kNoPresets[] = u"No presets";
constexpr char16_t kAskName[] = u"Name of the preset:";
constexpr char16_t kAskNameCaption[] = u"Save As";

// The key that holds an entry's preset name.
constexpr char kPresetProperty[] = "preset";

QString Title(const char16_t* text) {
    return QString::fromUtf16(text);
}

// A name as a menu shows it: a '&' of its own, not a mnemonic.
QString EntryText(const std::u16string& name) {
    return ToQString(name).replace(u'&', QStringLiteral("&&"));
}

std::u16string Quoted(const std::u16string& name) {
    return u"\"" + name + u"\"";
}

}  // namespace

PresetMenu::PresetMenu(QWidget* parent, brindle::DesktopServices& services, std::u16string folder,
                       std::u16string startWithFile, Hooks hooks)
    : QMenu(QStringLiteral("&Presets"), parent),
      services_(services),
      folder_(std::move(folder)),
      startWithFile_(std::move(startWithFile)),
      hooks_(std::move(hooks)) {
    // Presets come and go with other windows and programs: the folder is read at each opening.
    connect(this, &QMenu::aboutToShow, this, [this] { Safely(services_, [this] { Fill(); }); });
    Fill();
}

void PresetMenu::Fill() {
    clear();
    const std::vector<std::u16string> names = brindle::ListPresets(folder_);
    for (const std::u16string& name : names)
        AddPresetAction(this, name, &PresetMenu::Apply);
    if (names.empty())
        addAction(Title(kNoPresets))->setEnabled(false);
    addSeparator();
    QAction* saveAs = addAction(Title(kSaveAs));
    connect(saveAs, &QAction::triggered, this, [this] { Safely(services_, [this] { SaveAs(); }); });
    AddPresetMenu(Title(kOverwrite), names, &PresetMenu::Overwrite);
    AddPresetMenu(Title(kDelete), names, &PresetMenu::Delete);

    // "None" and the presets, the one the dialog starts with checked.
    QMenu* startWith = addMenu(Title(kStartWith));
    AddPresetAction(startWith, {}, &PresetMenu::StartWith);
    startWith->addSeparator();
    for (const std::u16string& name : names)
        AddPresetAction(startWith, name, &PresetMenu::StartWith);
    const std::u16string current = brindle::ReadStartWith(startWithFile_);
    auto* group = new QActionGroup(startWith);
    for (QAction* action : startWith->actions()) {
        if (action->isSeparator())
            continue;
        action->setCheckable(true);
        action->setChecked(action->property(kPresetProperty).toString() == ToQString(current));
        group->addAction(action);
    }
}

QMenu* PresetMenu::AddPresetMenu(const QString& title, const std::vector<std::u16string>& names,
                                 void (PresetMenu::*chosen)(const std::u16string&)) {
    QMenu* menu = addMenu(title);
    for (const std::u16string& name : names)
        AddPresetAction(menu, name, chosen);
    menu->setEnabled(!names.empty());
    return menu;
}

void PresetMenu::AddPresetAction(QMenu* menu, const std::u16string& name,
                                 void (PresetMenu::*chosen)(const std::u16string&)) {
    QAction* action = menu->addAction(name.empty() ? Title(kNone) : EntryText(name));
    action->setProperty(kPresetProperty, ToQString(name));
    connect(action, &QAction::triggered, this, [this, name, chosen] {
        Safely(services_, [this, &name, chosen] { (this->*chosen)(name); });
    });
}

QAction* PresetMenu::entry(const QString& text) const {
    for (QAction* action : actions()) {
        if (!action->isSeparator() && !action->property(kPresetProperty).isValid() &&
            action->text() == text)
            return action;
    }
    return nullptr;
}

QAction* PresetMenu::presetAction(const QString& submenu, const std::u16string& name) const {
    QList<QAction*> candidates = actions();
    if (!submenu.isEmpty()) {
        const QAction* holder = entry(submenu);
        if (holder == nullptr || holder->menu() == nullptr)
            return nullptr;
        candidates = holder->menu()->actions();
    }
    const auto found = std::find_if(candidates.begin(), candidates.end(), [&](QAction* action) {
        const QVariant preset = action->property(kPresetProperty);
        return preset.isValid() && preset.toString() == ToQString(name);
    });
    return found == candidates.end() ? nullptr : *found;
}

void PresetMenu::Apply(const std::u16string& name) {
    if (const auto failure = hooks_.applyPreset(name))
        Tell(*failure);
}

void PresetMenu::SaveAs() {
    if (folder_.empty()) {
        Tell(std::u16string(brindle::kNoSettingsFolder));
        return;
    }
    const std::optional<std::u16string> name = services_.AskText(kAskName, kAskNameCaption, u"");
    if (!name)
        return;
    if (const auto mistake = brindle::PresetNameMistake(*name)) {
        Tell(*mistake);
        return;
    }
    if (brindle::PathExists(brindle::PresetPath(folder_, *name)) &&
        !Ask(u"The preset " + Quoted(*name) +
             u" exists. Replace it with the options as they are now?"))
        return;
    Save(*name);
}

void PresetMenu::Overwrite(const std::u16string& name) {
    if (Ask(u"Replace the preset " + Quoted(name) + u" with the options as they are now?"))
        Save(name);
}

void PresetMenu::Delete(const std::u16string& name) {
    if (!Ask(u"Delete the preset " + Quoted(name) + u"?"))
        return;
    if (const auto failure = brindle::DeletePreset(folder_, name)) {
        Tell(*failure);
        return;
    }
    // The dialog would otherwise look for it at every opening, and say it is gone.
    if (brindle::ReadStartWith(startWithFile_) == name) {
        if (const auto failure = brindle::WriteStartWith(startWithFile_, u""))
            Tell(*failure);
    }
}

void PresetMenu::StartWith(const std::u16string& name) {
    if (const auto failure = brindle::WriteStartWith(startWithFile_, name))
        Tell(*failure);
}

void PresetMenu::Save(const std::u16string& name) {
    if (const auto failure = brindle::SavePreset(folder_, name, hooks_.currentOptions()))
        Tell(*failure);
}

void PresetMenu::Tell(const std::u16string& message) {
    services_.ShowMessageBox(message, u"", MessageButtons::Ok, BoxIcon::Warning);
}

bool PresetMenu::Ask(const std::u16string& question) {
    return services_.ShowMessageBox(question, u"", MessageButtons::YesNo, BoxIcon::Question) ==
           MessageResult::Yes;
}
