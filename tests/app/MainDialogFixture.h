#pragma once

// The main dialog over a program folder of its own, with services that answer in place of
// a person. A QtTest class derives from it and calls SetUp and TearDown from its init and
// cleanup slots: the fixture is no QObject, so that QtTest never takes its functions for
// test functions.

#include <QCheckBox>
#include <QLineEdit>

#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "app/CBrindleDlg.h"
#include "platform/UserFiles.h"

namespace apptest {

class MainDialogFixture {
protected:
    void SetUp() {
        folder_ = std::make_unique<ProgramFolder>();
        services_ = std::make_unique<RecordingServices>();
    }
    void TearDown() {
        dlg_.reset();
        services_.reset();
        folder_.reset();
    }

    void WriteIni(const std::string& lines) { folder_->temp().createFile("Brindle.ini", lines); }

    // The dialog, not shown yet, on the given files (by default those of the program folder).
    CBrindleDlg& MakeDialog(CBrindleDlg::AboutBoxCall about = nullptr) {
        return MakeDialogWith(brindle::PortableUserFiles(folder_->folder()), std::move(about));
    }
    CBrindleDlg& MakeDialogWith(const brindle::UserFiles& files,
                                CBrindleDlg::AboutBoxCall about = nullptr) {
        dlg_ = std::make_unique<CBrindleDlg>(*services_, std::move(about), files);
        return *dlg_;
    }
    CBrindleDlg& ShowDialog(CBrindleDlg::AboutBoxCall about = nullptr) {
        MakeDialog(std::move(about)).show();
        return *dlg_;
    }

    template <typename T = QWidget>
    T* Ctl(int id) {
        return Control<T>(dlg_.get(), id);
    }
    QLineEdit* Edit(int id) { return Ctl<QLineEdit>(id); }
    QCheckBox* Check(int id) { return Ctl<QCheckBox>(id); }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<RecordingServices> services_;
    std::unique_ptr<CBrindleDlg> dlg_;
};

}  // namespace apptest
