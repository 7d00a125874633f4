#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RowTexts.h"
#include "batch/PipelineHost.h"
#include "platform/NameCodec.h"

namespace brindle::testing {

// A message box or a question as the session asked for it.
struct Shown {
    std::u16string text;
    std::u16string caption;
    MessageIcon icon = MessageIcon::Warning;
    bool operator==(const Shown&) const = default;
};

// Stands where the main dialog stands: keeps the rows' texts, records everything else the
// session tells it, and answers questions from a queue.
class RecordingHost : public PipelineHost {
public:
    void AddOutputRow(const RowData& data) override {
        calls.push_back("row");
        rows.push_back(TextsOf(data));
        if (afterRow)
            afterRow(rows.back());
    }
    void RemoveAllRows() override {
        calls.push_back("clear");
        rows.clear();
    }
    void SetStatus(const BatchStats& stats) override {
        calls.push_back("status");
        statuses.push_back(FormatStatus(stats));
    }
    void SetOutputTitle(const std::u16string& title) override {
        calls.push_back("title");
        titles.push_back(title);
    }
    void ShowMessage(const std::u16string& text, const std::u16string& caption,
                     MessageIcon icon) override {
        calls.push_back("message");
        messages.push_back({text, caption, icon});
    }
    bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                  MessageIcon icon) override {
        calls.push_back("question");
        questions.push_back({text, caption, icon});
        if (answers.empty()) {
            ADD_FAILURE() << "a question nobody expected";
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool ConfirmUndo(const std::u16string& question) override {
        calls.push_back("confirm");
        confirmations.push_back(question);
        return confirmUndo;
    }

    bool GoesOnWithoutTable() const override { return goesOnWithoutTable; }

    // The calls from index `from` on, for order checks.
    std::vector<std::string> callsFrom(std::size_t from) const {
        return {calls.begin() + static_cast<std::ptrdiff_t>(from), calls.end()};
    }
    std::vector<std::u16string> column(int index) const {
        std::vector<std::u16string> texts;
        for (const Row& row : rows)
            texts.push_back(row.text(index));
        return texts;
    }
    // The same texts as bytes, as the name codec encodes them (UTF-8 for valid names).
    std::vector<std::string> columnBytes(int index) const {
        std::vector<std::string> texts;
        for (const Row& row : rows)
            texts.push_back(EncodeName(row.text(index)));
        return texts;
    }

    std::vector<Row> rows;
    std::vector<std::string> calls;
    std::vector<std::u16string> statuses;
    std::vector<std::u16string> titles;
    std::vector<Shown> messages;
    std::vector<Shown> questions;
    std::deque<bool> answers;
    bool goesOnWithoutTable = true;
    // What Undo asked before it moved anything, and the answer it gets.
    std::vector<std::u16string> confirmations;
    bool confirmUndo = true;
    // Runs after each row, between two items.
    std::function<void(const Row&)> afterRow;
};

}  // namespace brindle::testing
