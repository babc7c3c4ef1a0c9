#include "collationkey.h"

#ifdef Q_OS_WIN

CollationKey::CollationKey(const QCollator &collator, const QString &text)
    : m_collator(&collator), m_text(text)
{ }

int CollationKey::compare(const CollationKey &other) const
{
    return m_collator->compare(m_text, other.m_text);
}

#else

CollationKey::CollationKey(const QCollator &collator, const QString &text)
    : m_key(collator.sortKey(text))
{ }

int CollationKey::compare(const CollationKey &other) const
{
    return m_key.compare(other.m_key);
}

#endif
