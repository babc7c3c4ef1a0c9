// The window's texts in the user's language: the catalogue of the first
// language the user wants that has one. The texts are written in English,
// which has no catalogue.
#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

class UiLanguage
{
public:
    // Where the resource collection keeps the catalogues, quintavo_LANGUAGE.qm.
    static QString catalogueDirectory() { return QStringLiteral(":/translations"); }

    // Loads into translator the catalogue of the first of languages (most
    // wanted first, as QLocale::uiLanguages() gives them) that has one in
    // directory. False when none does, or English comes first.
    static bool load(QTranslator &translator, const QStringList &languages,
                     const QString &directory = catalogueDirectory());
};
