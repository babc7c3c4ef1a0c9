#include "applicationinfo.h"

#include "identity.h"

#include <utility>

ApplicationInfo::ApplicationInfo(QString versionText, QString organizationName,
                                 QString applicationName, QString copyright, QString description)
    : m_version(VersionNumber::fromText(versionText)),
      m_organizationName(std::move(organizationName)),
      m_applicationName(std::move(applicationName)),
      m_copyright(std::move(copyright)),
      m_description(std::move(description))
{ }

ApplicationInfo ApplicationInfo::quintavo()
{
    return ApplicationInfo(
        QString::fromLatin1(Identity::versionText), QString::fromLatin1(Identity::organizationName),
        QString::fromLatin1(Identity::applicationName), QString::fromLatin1(Identity::copyright),
        QString::fromLatin1(Identity::description));
}
