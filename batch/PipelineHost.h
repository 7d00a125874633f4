#pragma once

#include <string>

#include "batch/OutputRows.h"
#include "engine/RenameOptions.h"
#include "platform/DesktopServices.h"

namespace brindle {

// The one narrow way the pipeline, the scan and Undo reach whoever runs them: the main
// dialog, brindle-cli and the tests are hosts. Nothing of a window leaks through here.
class PipelineHost {
public:
    virtual ~PipelineHost() = default;

    // "save": copy the controls into the options. False when an integer edit is invalid;
    // the host has then shown "Please enter an integer." and left that field and the
    // ones after it unchanged. Hosts without controls return true.
    virtual bool SaveOptions(RenameOptions& options) = 0;
    // "load": copy the options into the controls.
    virtual void LoadOptions(const RenameOptions& options) = 0;

    // The Output Log: append one row at the end; remove all rows; the status line; the
    // window title ("Working...", "Output Log").
    virtual void AddOutputRow(const OutputRow& row) = 0;
    virtual void RemoveAllRows() = 0;
    virtual void SetStatus(const std::u16string& text) = 0;
    virtual void SetOutputTitle(const std::u16string& title) = 0;

    // A message box with an OK button; `caption` empty means the application's name.
    virtual void ShowMessage(const std::u16string& text, const std::u16string& caption,
                             MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                          MessageIcon icon) = 0;

    // The "Only English" table could not be opened: the pipeline has shown the message,
    // switched the option off and loaded the options; the host does its part (the dialog
    // shows the replace edits, hides the method list and disables the check box).
    virtual void OnlyEnglishTableFailed() = 0;

    // Mirrors whether the log file exists (the dialog's "Undo" button).
    virtual void SetUndoEnabled(bool enabled) = 0;
};

}  // namespace brindle
