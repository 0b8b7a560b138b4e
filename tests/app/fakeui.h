// A user for the window: answers its dialogs from a script and notes every
// box it is shown, in order.
#pragma once

#include <gtest/gtest.h>
#include <deque>
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

    std::deque<Answer> answers;
    std::vector<TFileDialog> dialogs;  // each dialog as it was when run
    std::vector<Box> boxes;
    int abouts = 0;
};
