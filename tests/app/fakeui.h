// A user for the window: answers its dialogs from a script and notes every
// box it is shown, in order.
#pragma once

#include <gtest/gtest.h>
#include <QColor>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "outline.h"
#include "ui/userinterface.h"

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
    // Questions, and the character table's editor with the row selected,
    // are noted as boxes too and answered from their scripts.
    bool AskYesNo(const QString& Text) override { return Ask("Question", Text, yesNo); }
    TSaveAnswer AskSave(const QString& Text) override { return Ask("Save?", Text, saves); }
    // Noted with the buttons; the script names the one to press.
    int AskChoice(const QString& Text, const QStringList& Buttons) override {
        if (whileAsked) whileAsked();
        const QString pressed = Ask("Choice", Text + " [" + Buttons.join('|') + ']', choices);
        const auto at = Buttons.indexOf(pressed);
        if (at < 0) ADD_FAILURE() << "no button " << pressed.toStdString();
        return at < 0 ? int(Buttons.size()) - 1 : int(at);
    }
    bool EditTable(std::vector<TCharEntry>& Table, int Row) override {
        const auto table = Ask("Character Table", QString::number(Row), tables);
        if (table) Table = *table;  // nullopt cancels
        return table.has_value();
    }
    bool MakeOutlineFont(const TEditedFont&, const TPalette&, const TGuideRows&,
                         TOutlineStrip& Strip, const TOutlineAdd* Add) override {
        outlineAdds.push_back(Add ? *Add : TOutlineAdd{});
        const auto made = Ask("New Font from Outline Font", "", outlines);
        if (made) Strip = *made;  // nullopt cancels
        return made.has_value();
    }
    bool ChooseColor(QColor& Color, const QString& Title) override {
        const auto chosen = Ask("Colour", Title, colors);
        if (chosen) Color = *chosen;  // nullopt cancels
        return chosen.has_value();
    }
    // Noted with the fields' opening texts; the script's values go through Check.
    bool AskNumbers(const QString& Title, const std::vector<TNumberField>& Fields,
                    const TNumberCheck& Check, std::vector<std::int64_t>& Values) override {
        QString texts;
        for (const TNumberField& f : Fields) texts += f.Text + ' ';
        const auto values = Ask(Title.toStdString().c_str(), texts.trimmed(), numbers);
        if (!values || !Check(*values).empty()) return false;
        Values = *values;
        return true;
    }
    bool AskText(const QString& Title, const QString&, QString& Text) override {
        const auto text = Ask(Title.toStdString().c_str(), Text, texts);
        if (text) Text = *text;
        return text.has_value();
    }
    // Noted with the values the dialog opens on, and how many pixels it says will change.
    bool AskReplaceColor(TEditSession& Session, std::uint16_t& From, std::uint16_t& To) override {
        const auto chosen =
            Ask("Replace Colour",
                QStringLiteral("%1 %2 %3").arg(From).arg(To).arg(Session.CountColor(From)),
                replacements);
        if (chosen) From = chosen->first, To = chosen->second;
        return chosen.has_value();
    }
    // Noted with the rows they open on ("-" for none) and the height, or the
    // choice it opens on; Set takes the script's.
    TGuidesAnswer AskGuides(TGuideRows& Rows, std::int32_t Height) override {
        QString shown;
        for (const auto& row : {Rows.Cap, Rows.X, Rows.Base})
            shown += (row ? QString::number(*row) : QStringLiteral("-")) + ' ';
        return Take(Ask("Guides", shown + QString::number(Height), guides), Rows);
    }
    TReferenceAnswer AskReference(TReferenceChoice& Choice) override {
        return Take(Ask("Reference Glyph", Choice.Text + '|' + Choice.Font, references), Choice);
    }
    template <class A, class T>
    static A Take(const std::pair<A, T>& Answer, T& Value) {
        if (Answer.first == A::Set) Value = Answer.second;
        return Answer.first;
    }
    template <class T>
    T Ask(const char* Caption, const QString& Text, std::deque<T>& script) {
        boxes.push_back({Caption, Text.toStdString()});
        if (script.empty()) return ADD_FAILURE() << "unexpected " << Caption, T();
        const T next = script.front();
        script.pop_front();
        return next;
    }

    std::deque<bool> yesNo;
    std::deque<std::optional<QColor>> colors;
    std::deque<std::optional<std::vector<std::int64_t>>> numbers;
    std::deque<TSaveAnswer> saves;
    std::deque<std::optional<QString>> texts;
    std::deque<std::optional<std::pair<std::uint16_t, std::uint16_t>>> replacements;
    std::deque<QString> choices;
    std::deque<std::pair<TGuidesAnswer, TGuideRows>> guides;
    std::deque<std::pair<TReferenceAnswer, TReferenceChoice>> references;
    std::deque<std::optional<TOutlineStrip>> outlines;
    std::vector<TOutlineAdd> outlineAdds;  // what each outline dialog was opened to add
    std::deque<std::optional<std::vector<TCharEntry>>> tables;
    std::deque<Answer> answers;
    std::vector<TFileDialog> dialogs;  // each dialog as it was when run
    std::vector<Box> boxes;
    int abouts = 0;
    std::function<void()> whileAsked;  // what happens elsewhere while a choice is up
};
