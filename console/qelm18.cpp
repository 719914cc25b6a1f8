// The reader test console.
#include "PortMap.h"
#include "Unit_main_qelm18.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (plat::handlePortsOption(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qelm18"));
    TFormPLUV FormPLUV;
    FormPLUV.show();
    return QApplication::exec();
}
