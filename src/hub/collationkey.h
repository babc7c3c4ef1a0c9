// A text's place in a collator's order, made once and compared often.
// QCollatorSortKey is that, but Qt 5's sort keys on Windows are not to be
// trusted: the buffer is sized in characters and filled in bytes, so half of
// it is left uninitialised, and two texts that collate the same may compare
// unequal. There the collator compares the texts themselves.
#pragma once

#include <QCollator>
#include <QString>

#ifndef Q_OS_WIN
#include <QCollatorSortKey>
#endif

class CollationKey
{
public:
    // The collator must outlive the key.
    CollationKey(const QCollator &collator, const QString &text);

    // Less than, equal to or greater than 0 as this text comes before, with, or after other's.
    int compare(const CollationKey &other) const;

private:
#ifdef Q_OS_WIN
    const QCollator *m_collator;
    QString m_text;
#else
    QCollatorSortKey m_key;
#endif
};
