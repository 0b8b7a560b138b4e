// The real boxes and dialogs on the screen: the Qt side of IUserInterface,
// above every dialog it runs.
#pragma once

#include "ui/userinterface.h"

// The real boxes and dialogs on the screen.
class TQtUserInterface final : public IUserInterface {
public:
    // Parent: the window the boxes belong to (may be null before it exists).
    // About: the About box to show modally.
    TQtUserInterface(QWidget* Parent, QWidget* About) : parent_(Parent), about_(About) {}
    void SetParent(QWidget* Parent) { parent_ = Parent; }
    void SetAbout(QWidget* About) { about_ = About; }

    bool Execute(TFileDialog& Dialog) override;
    void ShowMessage(const QString& Text, TMsgKind Kind) override;
    void ShowStandardError(const QString& Text) override;
    void ShowAbout() override;
    bool AskYesNo(const QString& Text) override;
    TSaveAnswer AskSave(const QString& Text) override;
    int AskChoice(const QString& Text, const QStringList& Buttons) override;
    bool EditTable(std::vector<TCharEntry>& Table, int Row) override;
    bool MakeOutlineFont(const TEditedFont& Font, const TPalette& Palette, const TGuideRows& Guides,
                         TOutlineStrip& Strip, const TOutlineAdd* Add) override;
    bool ChooseColor(QColor& Color, const QString& Title) override;
    bool AskNumbers(const QString& Title, const std::vector<TNumberField>& Fields,
                    const TNumberCheck& Check, std::vector<std::int64_t>& Values) override;
    bool AskText(const QString& Title, const QString& Label, QString& Text) override;
    bool AskReplaceColor(TEditSession& Session, std::uint16_t& From, std::uint16_t& To) override;
    TGuidesAnswer AskGuides(TGuideRows& Rows, std::int32_t Height) override;
    TReferenceAnswer AskReference(TReferenceChoice& Choice) override;

private:
    QWidget* parent_;
    QWidget* about_;
};
