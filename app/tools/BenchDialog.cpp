// The dialog's batch for bench/run: the real main dialog under the offscreen platform,
// "To Lower Case" with the Output Log shown, "Choose Folder" answered with the folder.
//   brindle-bench-dialog --folder DIR
// Exits 0 once the batch has run, 1 when anything asked a person, 2 on bad usage.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <optional>

#include "app/CBrindleDlg.h"
#include "app/ControlIds.h"
#include "app/QtText.h"

namespace {

// Answers the folder browser; any box would need a person, so it counts as a failure.
class BenchServices : public brindle::DesktopServices {
public:
    explicit BenchServices(std::u16string folder) : folder_(std::move(folder)) {}
    brindle::MessageResult ShowMessageBox(const std::u16string& text, const std::u16string&,
                                          brindle::MessageButtons, brindle::MessageIcon) override {
        std::fprintf(stderr, "brindle-bench-dialog: unexpected message: %s\n",
                     ToQString(text).toLocal8Bit().constData());
        ++boxes;
        return brindle::MessageResult::No;
    }
    std::optional<std::u16string> BrowseForFolder(const std::u16string&) override {
        return folder_;
    }
    bool OpenUrl(const std::u16string&) override { return false; }
    bool TooltipAnimationEnabled() const override { return false; }
    bool TooltipFadeEnabled() const override { return false; }

    int boxes = 0;

private:
    std::u16string folder_;
};

template <typename T = QWidget>
T* Ctl(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    if (argc != 3 || std::strcmp(argv[1], "--folder") != 0) {
        std::fprintf(stderr, "usage: brindle-bench-dialog --folder DIR\n");
        return 2;
    }
    QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    // A program folder of its own, so that no configuration or log of a real one is used.
    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    const QString programFolder = temp.path() + QLatin1Char('/');
    {
        QFile ini(programFolder + QStringLiteral("Brindle.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[config]\nShow Log Window = 1\nWrite Log File = 0\n");
    }
    QDir::setCurrent(programFolder);

    BenchServices services(PathFromQt(folder));
    CBrindleDlg dialog(services, nullptr, PathFromQt(programFolder));
    dialog.show();
    auto* lower = Ctl<QRadioButton>(&dialog, ids::kToLowerCase);
    auto* showLog = Ctl<QCheckBox>(&dialog, ids::kShowLogWindow);
    auto* choose = Ctl<QPushButton>(&dialog, ids::kChooseFolder);
    if (lower == nullptr || showLog == nullptr || choose == nullptr)
        return 1;
    lower->setChecked(true);
    if (!showLog->isChecked())
        showLog->click();
    QApplication::processEvents();
    choose->click();
    return services.boxes == 0 && !dialog.busy() ? 0 : 1;
}
