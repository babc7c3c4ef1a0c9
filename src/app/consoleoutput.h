// What the application says before it has a window: --help, --version, a
// usage error, the settings file's entries it leaves out. On Windows the
// application is a GUI program without a console of its own: its words go to
// where its output was sent (a file, a pipe), else to the console it was
// started from, else, when the program is about to end, to a message box.
#pragma once

#include <QString>

class ConsoleOutput
{
public:
    // output: for standard output; error: for standard error. ending: the
    // program ends after this, so nothing else would show it.
    static void print(const QString &output, const QString &error, bool ending);
};
