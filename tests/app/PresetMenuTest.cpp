// Presets from the Preview's menu, through its real entries: applied over the options the
// main dialog shows, saved (asking before a preset is replaced), overwritten, deleted and
// chosen to start with; the dialog opening with Brindle.ini, the start preset over it and
// the remembered options over both; the options remembered at each way of closing.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>

#include <filesystem>
#include <optional>
#include <string>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/OptionsPanel.h"
#include "app/PresetMenu.h"
#include "app/PreviewModel.h"
#include "engine/CaseConversion.h"
#include "engine/OptionTable.h"
#include "engine/Presets.h"
#include "platform/NameCodec.h"

using namespace apptest;
using brindle::RenameSettings;

namespace {

constexpr int kWait = 10000;

}  // namespace

class PresetMenuTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    brindle::UserFiles Files() const { return brindle::PortableUserFiles(folder_->folder()); }
    std::u16string Path(const std::string& relative) const {
        return brindle::DecodeName(folder_->path(relative).toStdString());
    }
    QRadioButton* Radio(int id) { return Ctl<QRadioButton>(id); }

    // The Preview over the folder `relative`, its plan on show, and its preset menu as it
    // is when it opens.
    CPreviewDlg* OpenPreview(const std::string& relative = {}) {
        QTest::mouseClick(Ctl(ids::kPreview), Qt::LeftButton);
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!relative.empty()) {
            preview->SetSource(brindle::BatchSource::Folder(Path(relative)));
            if (!QTest::qWaitFor([preview] { return preview->upToDate(); }, kWait))
                return nullptr;
        }
        OpenMenu();
        return preview;
    }
    PresetMenu* OpenMenu() {
        emit dlg_->presetMenu()->aboutToShow();
        return dlg_->presetMenu();
    }
    // Triggers the entry for `name` in `submenu` of the menu as it opens now.
    bool Choose(const QString& submenu, const std::u16string& name) {
        QAction* action = OpenMenu()->presetAction(submenu, name);
        if (action == nullptr || !action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    // The preset `name` as a dialog would apply it to the defaults; nullopt when it cannot.
    std::optional<RenameSettings> Preset(const std::u16string& name) const {
        RenameSettings o;
        if (brindle::LoadPreset(Files().presetFolder, name, o, true))
            return std::nullopt;
        return o;
    }
    void SavePreset(const std::u16string& name, int conversion) const {
        RenameSettings o;
        o.conversionMode = conversion;
        QVERIFY(!brindle::SavePreset(Files().presetFolder, name, o));
    }
    std::optional<int> PresetCase(const std::u16string& name) const {
        const std::optional<RenameSettings> o = Preset(name);
        return o ? std::optional<int>(o->conversionMode) : std::nullopt;
    }
    QCheckBox* PanelBox(std::u16string_view key) {
        return qobject_cast<QCheckBox*>(dlg_->previewDlg()->optionsPanel()->ControlFor(key));
    }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const RecordedBox& box : services_->boxes)
            texts << box.text;
        return texts;
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // A preset lacking a key keeps what the control shows, unsaved as it is; the controls
    // that follow the options (Force 63's length) follow the preset; the Preview plans again.
    void applyingLaysThePresetOverTheOptionsShown() {
        folder_->temp().createFiles({"p/One.TXT"});
        WriteIni("[config]\n");
        folder_->temp().createFile("presets/Loud.ini",
                                   "[config]\nCase = upper\nForce 63 = 1\nForce Length = 80\n");
        ShowDialog();
        CPreviewDlg* preview = OpenPreview("p");
        QVERIFY(preview);
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kNewName), QStringList{"One.TXT"});
        Check(ids::kReadOnly)->setChecked(true);
        QVERIFY(!Edit(ids::kForce63Length)->isVisible());

        QVERIFY(Choose({}, u"Loud"));
        QVERIFY(services_->boxes.empty());
        QVERIFY(Radio(ids::kToUpperCase)->isChecked());
        QVERIFY(Check(ids::kReadOnly)->isChecked());
        QVERIFY(Check(ids::kForce63)->isChecked());
        QVERIFY(Edit(ids::kForce63Length)->isVisible());
        QCOMPARE(Edit(ids::kForce63Length)->text(), QStringLiteral("80"));
        QCOMPARE(dlg_->settings().conversionMode, int(brindle::kToUpperCase));
        QVERIFY(dlg_->settings().skipReadOnly);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return preview->upToDate() &&
                       PreviewColumn(preview->model(), PreviewModel::kNewName) ==
                           QStringList{"ONE.TXT"};
            },
            kWait));
    }

    void saveAsWritesTheOptionsShownAndAsksBeforeReplacing() {
        WriteIni("[config]\n");
        ShowDialog();
        CPreviewDlg* preview = OpenPreview();
        QVERIFY(preview);
        QCOMPARE(preview->menuBar()->actions().value(0), dlg_->presetMenu()->menuAction());
        QCOMPARE(dlg_->presetMenu()->title(), QStringLiteral("&Presets"));
        QVERIFY(OpenMenu()->entry("No presets") && !OpenMenu()->entry("No presets")->isEnabled());
        QTest::mouseClick(Radio(ids::kToLowerCase), Qt::LeftButton);
        Check(ids::kReadOnly)->setChecked(true);

        services_->texts = {u"Mine"};
        OpenMenu()->entry("Save As...")->trigger();
        QCOMPARE(services_->textQuestions.size(), std::size_t(1));
        QCOMPARE(services_->textQuestions[0].prompt, QStringLiteral("Name of the preset:"));
        QVERIFY(services_->boxes.empty());
        QCOMPARE(PresetCase(u"Mine"), int(brindle::kToLowerCase));
        QVERIFY(Preset(u"Mine")->skipReadOnly);
        QVERIFY(OpenMenu()->presetAction({}, u"Mine"));
        QVERIFY(!OpenMenu()->entry("No presets"));

        // The name taken: asked, and only Yes replaces it.
        QTest::mouseClick(Radio(ids::kToUpperCase), Qt::LeftButton);
        const QString replace = QStringLiteral(
            "The preset \"Mine\" exists. Replace it with the options as they are now?");
        struct Round {
            MessageResult answer;
            int kept;
        };
        for (const Round round : {Round{MessageResult::No, brindle::kToLowerCase},
                                  {MessageResult::Yes, brindle::kToUpperCase}}) {
            services_->boxes.clear();
            services_->texts = {u"Mine"};
            services_->answers = {round.answer};
            OpenMenu()->entry("Save As...")->trigger();
            QCOMPARE(BoxTexts(), QStringList{replace});
            QCOMPARE(services_->boxes[0].buttons, MessageButtons::YesNo);
            QCOMPARE(PresetCase(u"Mine"), round.kept);
        }

        // A name that cannot be a preset's is told in the engine's words; a cancel asks nothing.
        services_->boxes.clear();
        services_->texts = {u"a/b", std::nullopt};
        OpenMenu()->entry("Save As...")->trigger();
        QCOMPARE(BoxTexts(), QStringList{ToQString(*brindle::PresetNameMistake(u"a/b"))});
        OpenMenu()->entry("Save As...")->trigger();
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QCOMPARE(brindle::ListPresets(Files().presetFolder), std::vector<std::u16string>{u"Mine"});
    }

    void overwriteAndDeleteAskFirst() {
        WriteIni("[config]\n");
        SavePreset(u"A", brindle::kToLowerCase);
        SavePreset(u"B", brindle::kToLowerCase);
        QVERIFY(!brindle::WriteStartWith(Files().startWithFile, u"B"));
        ShowDialog();
        QVERIFY(OpenPreview());
        QTest::mouseClick(Radio(ids::kToUpperCase), Qt::LeftButton);

        services_->answers = {MessageResult::No};
        QVERIFY(Choose("Overwrite", u"A"));
        QCOMPARE(BoxTexts(),
                 QStringList{"Replace the preset \"A\" with the options as they are now?"});
        QCOMPARE(PresetCase(u"A"), int(brindle::kToLowerCase));
        services_->answers = {MessageResult::Yes};
        QVERIFY(Choose("Overwrite", u"A"));
        QCOMPARE(PresetCase(u"A"), int(brindle::kToUpperCase));

        services_->boxes.clear();
        services_->answers = {MessageResult::No};
        QVERIFY(Choose("Delete", u"B"));
        QCOMPARE(BoxTexts(), QStringList{"Delete the preset \"B\"?"});
        QVERIFY(Preset(u"B"));
        // Deleting the preset the dialog starts with: it starts with none.
        services_->answers = {MessageResult::Yes};
        QVERIFY(Choose("Delete", u"B"));
        QVERIFY(!Preset(u"B"));
        QCOMPARE(brindle::ReadStartWith(Files().startWithFile), std::u16string());
        QVERIFY(!folder_->temp().exists("start-with"));

        services_->answers = {MessageResult::Yes};
        QVERIFY(Choose("Delete", u"A"));
        QCOMPARE(services_->boxes.size(), std::size_t(3));
        PresetMenu* menu = OpenMenu();
        QVERIFY(menu->entry("No presets") && !menu->entry("No presets")->isEnabled());
        QVERIFY(!menu->entry("Overwrite")->isEnabled());
        QVERIFY(!menu->entry("Delete")->isEnabled());
        QVERIFY(!Choose("Delete", u"A"));
    }

    void startWithThisIsKeptAndChecked() {
        WriteIni("[config]\n");
        SavePreset(u"A", brindle::kToLowerCase);
        SavePreset(u"B", brindle::kToUpperCase);
        ShowDialog();
        QVERIFY(OpenPreview());
        const auto checked = [this] {
            QStringList names;
            for (const std::u16string name : {u"", u"A", u"B"}) {
                QAction* action = OpenMenu()->presetAction("Start With This", name);
                if (action != nullptr && action->isChecked())
                    names << ToQString(name);
            }
            return names;
        };
        QCOMPARE(checked(), QStringList{""});
        QVERIFY(Choose("Start With This", u"B"));
        QCOMPARE(brindle::ReadStartWith(Files().startWithFile), std::u16string(u"B"));
        QCOMPARE(checked(), QStringList{"B"});
        QVERIFY(Choose("Start With This", u""));
        QVERIFY(!folder_->temp().exists("start-with"));
        QCOMPARE(checked(), QStringList{""});
        QVERIFY(services_->boxes.empty());

        // Where it cannot be kept, the system says why, and the choice stays as it was.
        folder_->temp().createFiles({"start-with/"});
        QVERIFY(Choose("Start With This", u"A"));
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QVERIFY(services_->boxes[0].text.startsWith(ToQString(Files().startWithFile) + ": "));
        QCOMPARE(checked(), QStringList{""});
    }

    // Brindle.ini, then the start preset over it, then the remembered options over both
    // (only while they say "Remember Settings" is on).
    void theDialogOpensWithTheStartPresetAndTheRememberedOptions_data() {
        QTest::addColumn<QString>("rememberedSwitch");
        QTest::addColumn<int>("radio");
        QTest::addColumn<int>("conversion");
        QTest::addColumn<bool>("force63");
        QTest::newRow("remembering") << "1" << ids::kReverse << int(brindle::kReverse) << true;
        QTest::newRow("not remembering")
            << "0" << ids::kToUpperCase << int(brindle::kToUpperCase) << false;
    }
    void theDialogOpensWithTheStartPresetAndTheRememberedOptions() {
        QFETCH(QString, rememberedSwitch);
        QFETCH(int, radio);
        QFETCH(int, conversion);
        QFETCH(bool, force63);
        WriteIni("[config]\nRead Only = 1\nOnly Log = 1\nCase = lower\n");
        folder_->temp().createFile("presets/Start.ini", "[config]\nOnly Log = 0\nCase = upper\n");
        folder_->temp().createFile("start-with", "Start\n");
        folder_->temp().createFile(
            "last.ini", "[config]\nRemember Settings = " + rememberedSwitch.toStdString() +
                            "\nCase = reverse\nForce 63 = 1\n");
        ShowDialog();
        QVERIFY(services_->boxes.empty());
        QVERIFY(Check(ids::kReadOnly)->isChecked());
        QVERIFY(!Check(ids::kOnlyLog)->isChecked());
        QVERIFY(Radio(radio)->isChecked());
        QCOMPARE(Check(ids::kForce63)->isChecked(), force63);
        QCOMPARE(Edit(ids::kForce63Length)->isVisible(), force63);
        QCOMPARE(dlg_->settings().conversionMode, conversion);
        QCOMPARE(dlg_->settings().rememberSettings, force63);
    }

    // Without a Brindle.ini "Only English" has no table: no preset switches it on.
    void onlyEnglishStaysOffWithoutAConfiguration() {
        folder_->temp().createFile("presets/English.ini",
                                   "[config]\nOnly English = 1\nCase = upper\n");
        folder_->temp().createFile("start-with", "English\n");
        ShowDialog();
        QVERIFY(Radio(ids::kToUpperCase)->isChecked());
        QVERIFY(!Check(ids::kOnlyEnglish)->isChecked());
        QVERIFY(Edit(ids::kReplaceWhat)->isVisible());
        QVERIFY(OpenPreview());
        QVERIFY(Choose({}, u"English"));
        QVERIFY(!dlg_->settings().onlyEnglish);
        QVERIFY(!Check(ids::kOnlyEnglish)->isChecked());
        QVERIFY(Edit(ids::kReplaceWhat)->isVisible());
    }

    void closingRemembersTheOptionsShown_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("remember");
        for (const char* how : {"exit", "escape", "close"}) {
            QTest::addRow("%s, remembering", how) << how << true;
            QTest::addRow("%s, not remembering", how) << how << false;
        }
    }
    void closingRemembersTheOptionsShown() {
        QFETCH(QString, how);
        QFETCH(bool, remember);
        WriteIni("[config]\n");
        const auto close = [&] {
            if (how == "exit")
                QTest::mouseClick(Ctl(ids::kExit), Qt::LeftButton);
            if (how == "escape")
                QTest::keyClick(Edit(ids::kNamePattern), Qt::Key_Escape);
            if (how == "close")
                QVERIFY(dlg_->close());
            QVERIFY(!dlg_->isVisible());
        };
        ShowDialog();
        QVERIFY(OpenPreview());
        QCheckBox* box = PanelBox(brindle::options::kKeyRememberSettings);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Remember Settings"));
        box->setChecked(remember);
        QCOMPARE(dlg_->settings().rememberSettings, remember);
        QTest::mouseClick(Radio(ids::kToLowerCase), Qt::LeftButton);
        Edit(ids::kNamePattern)->setText("x{n}");
        close();
        QCOMPARE(folder_->temp().exists("last.ini"), remember);

        ShowDialog();
        QVERIFY(services_->boxes.empty());
        QCOMPARE(Radio(ids::kToLowerCase)->isChecked(), remember);
        QCOMPARE(Edit(ids::kNamePattern)->text(), remember ? QStringLiteral("x{n}") : QString());
        QCOMPARE(dlg_->settings().rememberSettings, remember);

        // Switched off, the options are forgotten at the close.
        if (remember) {
            QVERIFY(OpenPreview());
            PanelBox(brindle::options::kKeyRememberSettings)->setChecked(false);
            close();
            QVERIFY(!folder_->temp().exists("last.ini"));
        }
    }

    // A close that cannot keep the options says why, and closes all the same.
    void aFailureToRememberDoesNotStopTheClose() {
        WriteIni("[config]\nRemember Settings = 1\n");
        folder_->temp().createFile("blocker");
        brindle::UserFiles files = Files();
        files.rememberedFile = Path("blocker/last.ini");
        MakeDialogWith(files).show();
        QVERIFY(dlg_->close());
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(services_->boxes.size(), std::size_t(1));
        QVERIFY(services_->boxes[0].text.startsWith(ToQString(files.rememberedFile) + ": "));
    }

    // A damaged preset is told, applied or started with, and changes nothing.
    void aDamagedPresetIsToldAndChangesNothing() {
        WriteIni("[config]\nCase = lower\n");
        folder_->temp().createFile("presets/Bad.ini", "Case = upper\n");
        const QString told = QStringLiteral("The preset \"Bad\" (") +
                             folder_->path("presets/Bad.ini") +
                             QStringLiteral(") is damaged: it has no [config] section");
        ShowDialog();
        QVERIFY(OpenPreview());
        Edit(ids::kNamePattern)->setText("y{n}");
        const RenameSettings before = dlg_->OptionsShown();
        const RenameSettings held = dlg_->settings();
        QVERIFY(Choose({}, u"Bad"));
        QCOMPARE(BoxTexts(), QStringList{told});
        QVERIFY(dlg_->OptionsShown() == before);
        QVERIFY(dlg_->settings() == held);

        services_->boxes.clear();
        folder_->temp().createFile("start-with", "Bad\n");
        ShowDialog();
        QCOMPARE(BoxTexts(), QStringList{told});
        QVERIFY(Radio(ids::kToLowerCase)->isChecked());
    }
};

QTEST_MAIN(PresetMenuTest)
#include "PresetMenuTest.moc"
