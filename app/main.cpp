// The desktop program. Start-up lives in the shell; this only hands it the command line.

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
