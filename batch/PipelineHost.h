#pragma once

#include <string>

#include "batch/RowData.h"
#include "engine/BatchStats.h"
#include "engine/NameChain.h"

namespace brindle {

// How a message or a question is meant, for the host to show it its own way.
enum class MessageIcon { Warning, Question, Stop };

// Where what a batch or an Undo does goes to: the main dialog, brindle-cli and the tests
// are hosts. A sink of what happened (rows, the status line, the Output Log's title,
// messages) and the one question Undo asks; what an operation changes in the options and
// whether the log exists afterwards are its results, read from the session. A host
// listens only to what it shows: the Output Log's list, status line and title are the
// window's.
class PipelineHost {
public:
    virtual ~PipelineHost() = default;

    // One row of the Output Log, appended at the end. The row's views are valid during
    // the call only.
    virtual void AddOutputRow(const RowData& row) = 0;
    // A batch with "Delete Contents" on empties the Output Log.
    virtual void RemoveAllRows() {}
    // The figures of the status line (FormatStatus), after each row.
    virtual void SetStatus(const BatchStats& /*stats*/) {}
    // The pattern's counters as the last item left them (the dialog's "Starting index" box
    // shows the running number as a batch advances it).
    virtual void SetCounters(const NameCounters& /*counters*/) {}
    // The Output Log's title: "Working..." while a batch runs, "Output Log" after it.
    virtual void SetOutputTitle(const std::u16string& /*title*/) {}

    // A message box with an OK button; `caption` empty means the application's name.
    virtual void ShowMessage(const std::u16string& text, const std::u16string& caption,
                             MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                          MessageIcon icon) = 0;

    // Asked before an Undo moves anything: `question` names what it would take back
    // ("Undo the last batch: ...?"). True to go on.
    virtual bool ConfirmUndo(const std::u16string& /*question*/) { return true; }

    // Whether a batch whose "Only English" table cannot be read goes on without it (the
    // option switched off, the replace pair applied) or renames nothing. The host has
    // been told first, by a message.
    virtual bool GoesOnWithoutTable() const { return true; }
};

}  // namespace brindle
