// Exit status 0 when a resident program holds the presence marker, 1 when none does.
#include "presence.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return MakeDesktopPresence()->LookForResident() == ResidentPresence::Running ? 0 : 1;
}
