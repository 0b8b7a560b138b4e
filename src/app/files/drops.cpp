#include "files/drops.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

TDrop DropOf(const QMimeData* Data, bool PalettesTaken, QString* Path) {
    if (!Data || !Data->hasUrls() || Data->urls().size() != 1) return TDrop::None;
    const QUrl url = Data->urls().first();
    if (!url.isLocalFile()) return TDrop::None;
    const QFileInfo file(url.toLocalFile());
    if (file.isDir()) return TDrop::None;
    const QString ext = file.suffix().toUpper();
    const TDrop kind = ext == QLatin1String("SFT")   ? TDrop::Font
                       : ext == QLatin1String("CMP") ? TDrop::CMP
                       : ext == QLatin1String("BM")  ? TDrop::BM
                                                     : TDrop::None;
    if (kind != TDrop::Font && !PalettesTaken) return TDrop::None;
    if (Path) *Path = QDir::cleanPath(file.absoluteFilePath());
    return kind;
}
