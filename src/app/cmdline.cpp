#include "cmdline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

TStartRequest ParseCommandLine(const QStringList& Arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the glyph strip of a font file (.SFT) and saves it as a BMP file."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("font"), QStringLiteral("The font to open."),
                                 QStringLiteral("[FONT]"));

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
    return request;
}
