#include "dialogs/checktext.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/errors.h"
#include "text/textfile.h"

std::u32string Decomposed(char32_t Char) {
    return QString::fromUcs4(&Char, 1).normalized(QString::NormalizationForm_D).toStdU32String();
}

TCheckText::TCheckText(const TEditSession& Session, IUserInterface& UI, QWidget* Parent)
    : QDockWidget(QStringLiteral("Check Text"), Parent), session_(Session), ui_(UI) {
    setObjectName(QStringLiteral("CheckText"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    Text = new QPlainTextEdit(body);
    Text->setPlaceholderText(QStringLiteral("Type or paste the translation"));
    column->addWidget(Text, 1);
    OpenText = new QPushButton(QStringLiteral("&Open Text..."), body);
    column->addWidget(OpenText, 0, Qt::AlignLeft);
    Summary = new QLabel(body);
    column->addWidget(Summary);
    Missing = new QTreeWidget(body);
    Missing->setHeaderLabels({QStringLiteral("Character"), QStringLiteral("Unicode"),
                              QStringLiteral("Code"), QStringLiteral("What can be done")});
    Missing->setRootIsDecorated(false);
    Missing->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(Missing, 2);
    auto* buttons = new QHBoxLayout;
    Build = new QPushButton(QStringLiteral("&Build Accented"), body);
    AddOutline = new QPushButton(QStringLiteral("Add from Outline &Font..."), body);
    buttons->addWidget(Build);
    buttons->addWidget(AddOutline);
    buttons->addStretch(1);
    column->addLayout(buttons);
    setWidget(body);

    connect(Text, &QPlainTextEdit::textChanged, this, &TCheckText::Refresh);
    connect(OpenText, &QPushButton::clicked, this, [this] {
        if (ui_.Execute(TextOpen)) OpenFile(TextOpen.FileName);
    });
    connect(Build, &QPushButton::clicked, this, &TCheckText::BuildClicked);
    connect(AddOutline, &QPushButton::clicked, this, &TCheckText::AddClicked);
    Text->viewport()->installEventFilter(this);
    Refresh();
}

bool TCheckText::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Text->viewport() && Event->type() == QEvent::MouseButtonRelease) {
        // The character clicked: the one the cursor went before, unless the
        // click was past it; a drag that selected is no click.
        const QPoint at = static_cast<QMouseEvent*>(Event)->position().toPoint();
        const QTextCursor cursor = Text->cursorForPosition(at);
        const QString all = Text->toPlainText();
        int i = cursor.position();
        if (i > 0 && Text->cursorRect(cursor).left() > at.x()) --i;
        if (!Text->textCursor().hasSelection() && i < all.size()) {
            if (all[i].isLowSurrogate() && i > 0) --i;
            emit CharClicked(QStringView(all).mid(i, all[i].isHighSurrogate() ? 2 : 1).toUcs4()[0]);
        }
    }
    return QDockWidget::eventFilter(Watched, Event);
}

void TCheckText::OpenFile(const QString& Path) {
    const QString name = QFileInfo(Path).fileName();
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui_.ShowMessage(QStringLiteral("Cannot read %1: %2.").arg(name, file.errorString()),
                        TMsgKind::Warning);
        return;
    }
    const QByteArray bytes = file.readAll();
    try {
        const TText text = ReadText(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             std::size_t(bytes.size())),
                                    name.toStdString());
        Text->setPlainText(QString::fromStdU32String(text.All));
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()), TMsgKind::Warning);
    }
}

void TCheckText::Refresh() {
    check_ = session_.CheckText(Text->toPlainText().toStdU32String(), Decomposed);
    const std::size_t m = check_.Characters, n = check_.Missing.size();
    Summary->setText(n ? QStringLiteral("%1 of %2 characters are missing.").arg(n).arg(m)
                       : QStringLiteral("All %1 characters are in the font.").arg(m));
    Missing->clear();
    const TCodePageMap& page = session_.CodePage();
    bool buildable = false, addable = false;
    for (const TMissingChar& c : check_.Missing) {
        const char32_t ch = c.Char;
        auto* item = new QTreeWidgetItem(
            {QString::fromUcs4(&ch, 1),
             QStringLiteral("U+%1").arg(uint(ch), 4, 16, QLatin1Char('0')).toUpper(),
             c.Code ? QString::number(*c.Code) : QString(),
             QString::fromStdString(FixText(c, page))});
        Missing->addTopLevelItem(item);
        buildable = buildable || c.Fix == TFix::Build;
        addable = addable || c.Fix == TFix::Add;
    }
    Build->setEnabled(buildable);
    AddOutline->setEnabled(addable);
}

std::vector<TAccentRequest> TCheckText::Buildable() const {
    std::vector<TAccentRequest> out;
    for (const TMissingChar& c : check_.Missing)
        if (c.Fix == TFix::Build) out.push_back({c.Char, Decomposed(c.Char)});
    return out;
}

std::vector<std::uint16_t> TCheckText::ToAdd() const {
    std::vector<std::uint16_t> out;
    for (const TMissingChar& c : check_.Missing)
        if (c.Fix == TFix::Add && c.Code) out.push_back(*c.Code);
    return out;
}
