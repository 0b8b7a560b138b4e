// File > Open Recent: the fonts last opened, newest first, kept in the
// settings; one that is gone is taken off the list with a message.
#pragma once

#include <QObject>
#include <QStringList>

#include "ui/userinterface.h"

class QMenu;

class TRecentFiles final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMax = 10;
    // Fills Menu with the list and Clear Recent at its end.
    TRecentFiles(QMenu& Menu, IUserInterface& UI, QObject* Parent = nullptr);

    // Path was opened or saved: first on the list.
    void Add(const QString& Path);
    QStringList Files() const;

signals:
    // An entry was chosen whose file is there.
    void Chosen(const QString& Path);

private:
    void Store(const QStringList& Files);
    void Fill();

    QMenu& menu_;
    IUserInterface& ui_;
};
