#include "consoleoutput.h"

#include "applicationinfo.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

void put(const QString &text, FILE *stream)
{
    if (text.isEmpty())
        return;
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

#ifdef Q_OS_WIN
bool hasStream(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The console of the process that started this one, such as cmd.exe's.
bool attachParentConsole()
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    return std::freopen("CONOUT$", "w", stdout) && std::freopen("CONOUT$", "w", stderr);
}

void showBox(const QString &output, const QString &error)
{
    const QString title = ApplicationInfo::quintavo().applicationName();
    const QString text = (output + error).trimmed();
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.utf16()),
                reinterpret_cast<const wchar_t *>(title.utf16()),
                MB_OK | (error.isEmpty() ? MB_ICONINFORMATION : MB_ICONERROR));
}
#endif

} // namespace

void ConsoleOutput::print(const QString &output, const QString &error, bool ending)
{
    if (output.isEmpty() && error.isEmpty())
        return;
#ifdef Q_OS_WIN
    if (!hasStream(STD_OUTPUT_HANDLE) && !hasStream(STD_ERROR_HANDLE) && !attachParentConsole()) {
        if (ending)
            showBox(output, error);
        return;
    }
#else
    Q_UNUSED(ending)
#endif
    put(output, stdout);
    put(error, stderr);
}
