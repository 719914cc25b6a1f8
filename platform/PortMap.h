#pragma once
// COM1..COM20 mapped to devices: $COMPORT_DIR/COMn when set, otherwise the serial devices present.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace plat {

struct PortEntry {
    QString name;        // COMn
    QString device;      // path opened
    QString description; // USB description where known
};

QList<PortEntry> portMap();
// Device for a COMn name; empty when the name maps to nothing.
QString resolvePort(const QString &name);
// Prints the map for --ports.
void printPortMap(QTextStream &out);
// Handles --ports: prints the map and returns true when the option was given.
bool handlePortsOption(int argc, char **argv);

} // namespace plat
