// The catalogues of the window's texts. Each shipped catalogue, refreshed by
// lupdate from today's sources, holds every text translated, with the place
// markers and markup of the English; it is compiled into the resource
// collection and gives those translations. The window takes the catalogue of
// the first language the user wants that has one, and stays English when
// English comes first.
#include "uilanguage.h"

#include <QDir>
#include <QDomDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

struct Message
{
    QString context;
    QString source;
    QString disambiguation;
    bool numerus = false;
    bool finished = true;
    QStringList translations; // one, or one per plural form

    QString where() const { return context + QLatin1String(": \"") + source + QLatin1Char('"'); }
};

QList<Message> readCatalogue(const QString &path)
{
    QFile file(path);
    QDomDocument catalogue;
    if (!file.open(QIODevice::ReadOnly) || !catalogue.setContent(&file)) {
        qWarning("%s: cannot be read", qPrintable(path));
        return {};
    }
    QList<Message> messages;
    const QDomNodeList elements = catalogue.elementsByTagName(QStringLiteral("message"));
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement element = elements.at(i).toElement();
        const auto child = [&element](const char *name) {
            return element.firstChildElement(QLatin1String(name));
        };
        const QDomElement translation = child("translation");
        Message message {element.parentNode().firstChildElement(QStringLiteral("name")).text(),
                         child("source").text(),
                         child("comment").text(),
                         element.attribute(QStringLiteral("numerus")) == QLatin1String("yes"),
                         !translation.hasAttribute(QStringLiteral("type")),
                         {}};
        const QDomNodeList forms = translation.elementsByTagName(QStringLiteral("numerusform"));
        for (int form = 0; form < forms.size(); ++form)
            message.translations.append(forms.at(form).toElement().text());
        if (!message.numerus)
            message.translations.append(translation.text());
        messages.append(message);
    }
    return messages;
}

// What a translation keeps of its English: place markers and markup.
QStringList kept(const QString &text)
{
    static const QRegularExpression marks(QStringLiteral("%(?:n|L?[0-9]+)|<[^>]*>"));
    QStringList found;
    auto matches = marks.globalMatch(text);
    while (matches.hasNext())
        found.append(matches.next().captured());
    found.sort();
    return found;
}

// The language of a catalogue's file, quintavo_LANGUAGE.ts.
QString languageOf(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName().section(QLatin1Char('_'), 1);
}

} // namespace

class tst_Translations : public QObject
{
    Q_OBJECT

private slots:
    void complete_data() { catalogues_data(); }
    void complete();
    void compiled_data() { catalogues_data(); }
    void compiled();
    void choice_data();
    void choice();

private:
    // A row for each shipped catalogue.
    static void catalogues_data();
    // A shipped catalogue as lupdate leaves it after reading today's sources.
    QList<Message> refreshed(const QString &catalogue);

    QTemporaryDir m_scratch;
};

void tst_Translations::catalogues_data()
{
    QTest::addColumn<QString>("catalogue");
    const QDir shipped(QStringLiteral(QUINTAVO_TRANSLATION_DIR));
    const QStringList files = shipped.entryList({QStringLiteral("quintavo_*.ts")}, QDir::Files);
    QVERIFY2(!files.isEmpty(), qPrintable(shipped.path()));
    for (const QString &file : files)
        QTest::newRow(qPrintable(languageOf(file))) << shipped.filePath(file);
}

QList<Message> tst_Translations::refreshed(const QString &catalogue)
{
    const QString copy = m_scratch.filePath(QFileInfo(catalogue).fileName());
    QFile::remove(copy);
    if (!QFile::copy(catalogue, copy))
        return {};
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lupdate.start(QStringLiteral(QUINTAVO_LUPDATE),
                  QString::fromUtf8(QUINTAVO_LUPDATE_ARGUMENTS).split(QLatin1Char('|'))
                      << QStringLiteral("-silent") << QStringLiteral("-ts") << copy);
    if (!lupdate.waitForFinished(60000) || lupdate.exitStatus() != QProcess::NormalExit
        || lupdate.exitCode() != 0) {
        qWarning("lupdate failed: %s", lupdate.readAllStandardOutput().constData());
        return {};
    }
    return readCatalogue(copy);
}

void tst_Translations::complete()
{
#ifdef Q_OS_WIN
    QSKIP("lupdate is a program of the build machine: the Linux build checks the sources");
#endif
    QFETCH(QString, catalogue);
    const QList<Message> messages = refreshed(catalogue);
    QVERIFY(!messages.isEmpty());
    for (const Message &message : messages) {
        // A text new in the sources, or changed there, comes back unfinished.
        QVERIFY2(message.finished, qPrintable(message.where() + " is not translated"));
        for (const QString &translation : message.translations) {
            QVERIFY2(!translation.isEmpty(), qPrintable(message.where() + " has an empty form"));
            QVERIFY2(kept(translation) == kept(message.source),
                     qPrintable(message.where() + " becomes \"" + translation
                                + "\", which drops or adds a place marker or markup"));
        }
    }
}

void tst_Translations::compiled()
{
    QFETCH(QString, catalogue);
    const QString language = languageOf(catalogue);
    QTranslator translator;
    QVERIFY2(UiLanguage::load(translator, {language}), qPrintable(language));
    const QList<Message> messages = readCatalogue(catalogue);
    QVERIFY(!messages.isEmpty());
    for (const Message &message : messages) {
        const QByteArray context = message.context.toUtf8();
        const QByteArray source = message.source.toUtf8();
        const QByteArray disambiguation = message.disambiguation.toUtf8();
        if (!message.numerus) {
            QCOMPARE(translator.translate(context, source, disambiguation.constData()),
                     message.translations.value(0));
            continue;
        }
        for (int n : {1, 2}) {
            const QString translation
                = translator.translate(context, source, disambiguation.constData(), n);
            QVERIFY2(
                message.translations.contains(translation),
                qPrintable(message.where() + " for " + QString::number(n) + ": " + translation));
        }
    }
}

void tst_Translations::choice_data()
{
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<QString>("loaded"); // empty: none, English

    QTest::newRow("a region's own catalogue") << QStringList {"pt-BR"} << "pt_BR";
    QTest::newRow("the first that has one") << QStringList {"it-IT", "fr-CA", "de"} << "fr";
    QTest::newRow("English first") << QStringList {"en-GB", "de"} << "";
    QTest::newRow("none has one") << QStringList {"it", "C"} << "";
}

void tst_Translations::choice()
{
    QFETCH(QStringList, wanted);
    QFETCH(QString, loaded);
    // Catalogues by file name only: any valid one serves as each of them.
    QTranslator any;
    QVERIFY(UiLanguage::load(any, {QStringLiteral("de")}));
    const QDir directory(m_scratch.path());
    for (const char *language : {"de", "fr", "pt_BR"}) {
        const QString copy = directory.filePath(QStringLiteral("quintavo_%1.qm").arg(language));
        QVERIFY(QFile::exists(copy) || QFile::copy(any.filePath(), copy));
    }

    QTranslator translator;
    QCOMPARE(UiLanguage::load(translator, wanted, directory.path()), !loaded.isEmpty());
    if (!loaded.isEmpty())
        QCOMPARE(QFileInfo(translator.filePath()).completeBaseName(), "quintavo_" + loaded);
}

QTEST_GUILESS_MAIN(tst_Translations)
#include "tst_translations.moc"
