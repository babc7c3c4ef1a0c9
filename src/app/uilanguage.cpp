#include "uilanguage.h"

#include <QLocale>
#include <QTranslator>

bool UiLanguage::load(QTranslator &translator, const QStringList &languages,
                      const QString &directory)
{
    // One language at a time: given the whole list at once, QTranslator would
    // pass over English, which has no catalogue, to a language wanted less.
    for (const QString &language : languages) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English)
            return false;
        // Also finds quintavo_de.qm for de-AT.
        if (translator.load(locale, QStringLiteral("quintavo"), QStringLiteral("_"), directory))
            return true;
    }
    return false;
}
