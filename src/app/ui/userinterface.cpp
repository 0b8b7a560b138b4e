#include "ui/userinterface.h"

#include <exception>
#include <new>

QStringList TFileDialog::Texts() const {
    const QStringList parts = Filter.split('|');
    QStringList texts;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) texts << parts[i];
    return texts;
}

QStringList TFileDialog::Patterns() const {
    const QStringList parts = Filter.split('|');
    QStringList patterns;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) patterns << parts[i + 1];
    return patterns;
}

QString StandardErrorText(std::exception_ptr Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory.");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what()) + '.';
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

TNumberField NumberField(const TCommandField& Limits, std::optional<std::int64_t> Text) {
    return {QLatin1Char('&') + QString::fromLatin1(Limits.Label), QString::fromLatin1(Limits.Name),
            Limits.Min, Limits.Max, Text ? QString::number(*Text) : QString()};
}
