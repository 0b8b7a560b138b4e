// A user for the window benches: picks Font in every dialog, and ends the
// bench should anything ask or show a box.
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "messages.h"
#include "outline.h"

class TBenchUser final : public IUserInterface {
public:
    QString Font;
    bool Execute(TFileDialog& Dialog) override {
        Dialog.FileName = Font;
        return !Font.isEmpty();
    }
    void ShowMessage(const QString& Text, TMsgKind) override { Fail(Text); }
    void ShowStandardError(const QString& Text) override { Fail(Text); }
    void ShowAbout() override {}
    bool AskYesNo(const QString& Text) override { Fail(Text); }
    TSaveAnswer AskSave(const QString& Text) override { Fail(Text); }
    bool EditTable(std::vector<TCharEntry>&, int) override { return false; }
    bool MakeOutlineFont(const TEditedFont&, const TPalette&, TOutlineStrip&) override {
        return false;
    }
    bool ChooseColor(QColor&, const QString&) override { return false; }
    [[noreturn]] static void Fail(const QString& Text) {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(Text));
        std::exit(1);
    }
};
