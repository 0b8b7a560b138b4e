#include "window/cmdline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <vector>

#include "base/fileio.h"

TStartRequest ParseCommandLine(const QStringList& Arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the glyph strip of a font file (.SFT) and saves it as a BMP file."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("font"), QStringLiteral("The font to open."),
                                 QStringLiteral("[FONT]"));
    QCommandLineOption recover(QStringLiteral("recover"),
                               QStringLiteral("Recovers the changes a journal kept."),
                               QStringLiteral("journal"));
    recover.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(recover);

    TStartRequest request;
    const bool parsed = parser.parse(Arguments);
    if (parsed && parser.isSet(help)) {
        request.Exit = 0;
        request.Text = parser.helpText();
    } else if (parsed && parser.isSet(version)) {
        request.Exit = 0;
        request.Text = QStringLiteral("quillmere " QUILL_VERSION "\n");
    } else if (!parsed || parser.positionalArguments().size() > 1) {
        request.Exit = 2;
        const QString why =
            parsed ? QStringLiteral("Only one font can be opened.") : parser.errorText();
        request.Text = QStringLiteral("quillmere: ") + why + '\n' + parser.helpText();
    } else if (!parser.positionalArguments().isEmpty()) {
        request.Font =
            QDir::cleanPath(QFileInfo(parser.positionalArguments().first()).absoluteFilePath());
    }
    if (!request.Exit) request.Recover = parser.value(recover);
    return request;
}

std::string DefaultPalettePath(const QString& StartFont) {
    std::vector<std::string> places = {std::filesystem::current_path().string()};
    if (!StartFont.isEmpty())
        places.push_back(QFile::encodeName(QFileInfo(StartFont).absolutePath()).toStdString());
    for (const std::string& place : places)
        if (RegularFileExists(place + "/uicolormap.cmp")) return place + "/uicolormap.cmp";
    return {};
}
