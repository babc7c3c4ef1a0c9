// The identity record: which application this is and which version. Start-up
// names the window with it; the update check reports it to the update service
// and compares the offered version with it.
#pragma once

#include "versionnumber.h"

#include <QString>

class ApplicationInfo
{
public:
    ApplicationInfo(QString versionText, QString organizationName, QString applicationName,
                    QString copyright, QString description);

    // The record start-up and the hub build from the constants in identity.h.
    static ApplicationInfo quintavo();

    QString applicationName() const { return m_applicationName; }
    QString organizationName() const { return m_organizationName; }
    QString copyright() const { return m_copyright; }
    QString description() const { return m_description; }
    VersionNumber version() const { return m_version; }
    QString versionText() const { return m_version.toText(); }

private:
    VersionNumber m_version;
    QString m_organizationName;
    QString m_applicationName;
    QString m_copyright;
    QString m_description;
};
