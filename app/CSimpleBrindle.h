#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "app/DesktopServices.h"
#include "app/DialogUnits.h"

class QPushButton;

// The command-line dialog: started with arguments, the program renames nothing; it shows
// the arguments in message boxes (all of them joined by '*', then each one in its own
// box) and waits for "OK" or "Cancel".
class CSimpleBrindle : public QDialog {
    Q_OBJECT

public:
    CSimpleBrindle(brindle::DesktopServices& services, std::vector<std::u16string> arguments,
                   QWidget* parent = nullptr);

    // The opening: the message boxes. Runs once, at the latest when the dialog is shown.
    void OnInitDialog();
    const std::vector<std::u16string>& pieces() const { return pieces_; }

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The dialog units of the layout, widened so that every caption fits.
    const DialogUnits& units() const { return units_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    brindle::DesktopServices& services_;
    std::vector<std::u16string> arguments_;
    std::vector<std::u16string> pieces_;
    DialogUnits units_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool opened_ = false;
};
