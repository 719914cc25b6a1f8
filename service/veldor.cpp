// The DSP board service tool.
#include "COM_PORT_SELECT.h"
#include "SERV.h"

#include <PortMap.h>

#include <QApplication>

int main(int argc, char **argv)
{
    if (plat::handlePortsOption(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veldor"));
    TForm1 form1;
    TForm2 form2;
    form1.Form2 = &form2;
    form1.show();
    return app.exec();
}
