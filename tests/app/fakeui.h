// A user for the window: answers its dialogs from a script and notes every
// box it is shown, in order.
#pragma once

#include <gtest/gtest.h>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "messages.h"

struct Box {
    std::string Caption;
    std::string Text;
    bool operator==(const Box&) const = default;
};

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Box& b, std::ostream* os) {
    *os << "[" << b.Caption << ": " << b.Text << "]";
}

class FakeUI final : public IUserInterface {
public:
    struct Answer {
        bool Accept;
        std::string Path;
        int FilterIndex;
    };
    void Choose(const std::string& path, int filterIndex = 1) {
        answers.push_back({true, path, filterIndex});
    }
    void Cancel() { answers.push_back({false, {}, 0}); }

    bool Execute(TFileDialog& Dialog) override {
        dialogs.push_back(Dialog);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected dialog " << Dialog.Title.toStdString();
            return false;
        }
        const Answer a = answers.front();
        answers.pop_front();
        if (!a.Accept) return false;
        Dialog.FileName = QString::fromStdString(a.Path);
        Dialog.FilterIndex = a.FilterIndex;
        return true;
    }
    void ShowMessage(const QString& Text, TMsgKind Kind) override {
        boxes.push_back({Kind == TMsgKind::Warning ? "Warning" : "Error", Text.toStdString()});
    }
    void ShowStandardError(const QString& Text) override {
        boxes.push_back({"Quillmere", Text.toStdString()});
    }
    void ShowAbout() override { ++abouts; }
    // Questions are noted as boxes too; a question not scripted fails.
    bool AskYesNo(const QString& Text) override {
        boxes.push_back({"Question", Text.toStdString()});
        return Next(yesNo, false);
    }
    TSaveAnswer AskSave(const QString& Text) override {
        boxes.push_back({"Save?", Text.toStdString()});
        return Next(saveAnswers, TSaveAnswer::Cancel);
    }
    // A table scripted as nullopt cancels the editor.
    bool EditTable(std::vector<TCharEntry>& Table, int Row) override {
        tableRows.push_back(Row);
        const auto table = Next(tables, std::optional<std::vector<TCharEntry>>());
        if (table) Table = *table;
        return table.has_value();
    }

    template <class T>
    static T Next(std::deque<T>& script, T otherwise) {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected question";
            return otherwise;
        }
        T next = script.front();
        script.pop_front();
        return next;
    }

    std::deque<bool> yesNo;
    std::deque<TSaveAnswer> saveAnswers;
    std::deque<std::optional<std::vector<TCharEntry>>> tables;
    std::vector<int> tableRows;  // the row selected as each editor opened
    std::deque<Answer> answers;
    std::vector<TFileDialog> dialogs;  // each dialog as it was when run
    std::vector<Box> boxes;
    int abouts = 0;
};
