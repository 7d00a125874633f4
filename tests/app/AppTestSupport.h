#pragma once

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/COutputDlg.h"
#include "app/DesktopServices.h"
#include "app/OutputLogModel.h"
#include "app/PreviewModel.h"
#include "app/QtText.h"
#include "balloon/BalloonWnd.h"
#include "batch/Messages.h"

namespace apptest {

using brindle::BoxIcon;
using brindle::MessageButtons;
using brindle::MessageResult;

struct RecordedBox {
    QString text;
    QString caption;  // as shown: the application's name when the box gives none
    MessageButtons buttons;
    BoxIcon icon;
};

// Answers in place of a person and records what was asked.
class RecordingServices : public brindle::DesktopServices {
public:
    MessageResult ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                                 MessageButtons buttons, BoxIcon icon) override {
        boxes.push_back(
            {ToQString(text),
             ToQString(caption.empty() ? std::u16string(brindle::kApplicationName) : caption),
             buttons, icon});
        if (onBox)
            onBox();
        if (buttons == MessageButtons::Ok)
            return MessageResult::Ok;
        if (answers.empty())
            return MessageResult::No;
        const MessageResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::u16string> BrowseForFolder(const std::u16string& prompt,
                                                  const std::u16string& startFolder) override {
        prompts.push_back(ToQString(prompt));
        startFolders.push_back(ToQString(startFolder));
        return folder;
    }
    std::optional<std::u16string> AskText(const std::u16string& prompt,
                                          const std::u16string& caption,
                                          const std::u16string& initial) override {
        textQuestions.push_back({ToQString(prompt), ToQString(caption), ToQString(initial)});
        if (texts.empty())
            return std::nullopt;
        std::optional<std::u16string> answer = texts.front();
        texts.pop_front();
        return answer;
    }
    bool OpenUrl(const std::u16string& url) override {
        urls.push_back(ToQString(url));
        return true;
    }
    bool TooltipAnimationEnabled() const override { return false; }
    bool TooltipFadeEnabled() const override { return false; }

    std::vector<RecordedBox> boxes;
    std::deque<MessageResult> answers;
    std::optional<std::u16string> folder;
    std::vector<QString> prompts;
    // Where the browser opened, each time it was asked.
    std::vector<QString> startFolders;
    std::vector<QString> urls;
    std::function<void()> onBox;
    // The lines typed, in turn (nullopt: cancelled; none left: cancelled), and what each
    // question showed: its prompt, its caption as given and the text it began with.
    std::deque<std::optional<std::u16string>> texts;
    struct TextQuestion {
        QString prompt;
        QString caption;
        QString initial;
    };
    std::vector<TextQuestion> textQuestions;
};

// A temporary program folder that is the current directory while the object lives, as
// start-up makes the real one.
class ProgramFolder {
public:
    ProgramFolder() : previous_(QDir::currentPath()) {
        QDir::setCurrent(QString::fromStdString(temp_.path().string()));
    }
    ~ProgramFolder() { QDir::setCurrent(previous_); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    brindle::testing::TempFolder& temp() { return temp_; }
    std::u16string folder() const { return temp_.folder(); }
    QString path(const std::string& relative) const {
        return QString::fromStdString((temp_.path() / relative).string());
    }

private:
    brindle::testing::TempFolder temp_;
    QString previous_;
};

template <typename T = QWidget>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// The balloons whose windows are up.
inline std::vector<brindle::CBalloonWnd*> Balloons() {
    std::vector<brindle::CBalloonWnd*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* balloon = qobject_cast<brindle::CBalloonWnd*>(w); balloon && balloon->HasWindow())
            found.push_back(balloon);
    return found;
}

// One column of the Output Log's rows, in the store's order.
inline QStringList OutputColumn(const COutputDlg* out, int column) {
    QStringList texts;
    for (const brindle::OutputRow& row : out->model()->store().rows())
        texts << QString::fromStdU16String(row.text(column));
    return texts;
}

// One column of the Preview's rows, in the list's order.
inline QStringList PreviewColumn(const PreviewModel* model, int column) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->text(row, column);
    return texts;
}

// What a file manager delivers: an enter and a drop with file URLs, aimed at `target`.
// The events of the drop's end are taken before it returns; whether it was accepted.
inline bool DropUrls(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(2, 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

}  // namespace apptest
