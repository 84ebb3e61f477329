// The desktop program. Start-up lives in the shell; this only runs it.

#include <QApplication>

#include "shell/telvarion_app.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CTelvarionApp app;
    // A second start has asked the first to come forward and ends quietly; so does a start the
    // person ended because another program works on the data folder.
    if (!app.InitInstance())
        return 0;
    return QApplication::exec();
}
