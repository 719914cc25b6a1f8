#pragma once
// Device simulator: pseudo-terminal pairs linked as COMn into a folder for COMPORT_DIR,
// each played by one device persona. Thread-safe: tests call it from the GUI thread while
// the simulator serves the ports on its own thread.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

namespace sim {

enum class Kind {
    Vrx900,   // "VRX900-15", EPC inventory
    Vrx433,   // "VRX433-16"
    Vrx433Saw,// "VRX433-SAW"
    Wiegand,  // "WG"
    K4000,    // "K4000"
    Silent,   // opens, never answers
    Noisy,    // answers nothing useful: random bytes, control codes, broken frames
    Dsp,      // DSP board of the service tool
};

// Parses "vrx900", "vrx433", "saw", "wg", "k4000", "silent", "noisy", "dsp".
bool kindFromString(const QString &s, Kind *out);
QString modelWord(Kind k); // empty for Silent, Noisy, Dsp

struct PortOptions {
    Kind kind = Kind::Silent;
    int busAddress = 1;          // readers answer only lines sent to this address
    QString versionAnswer;       // overrides the whole "VERSION" answer frame when set
    // 900 MHz inventory
    int tagCount = 5;            // distinct tags answering per cycle
    int cyclesPerSecond = 5;     // 0: as fast as the line allows
    bool flood = false;          // INV answers back to back at the line rate, no cycle pause
    int stopsToIgnore = 0;       // EPC_STOP lines ignored before STOP_INVENTORY is answered
    bool pace = true;            // pace output at the line rate (115200 8N2: 10472 bytes/s)
    // The device understands bytes only while the program side is set to 115200 baud 8N2;
    // otherwise it logs them and ignores them, as a real device would see garbage.
    // (A pty always reports 8 data bits and no parity: only rate and stop bits can differ.)
    bool checkLine = true;
};

constexpr int kLineBytesPerSecond = 10472; // 115200 baud, 1 start + 8 data + 2 stop bits

// Checksum of a service frame: byte sum of number, blank and text modulo 65536.
quint16 serviceChecksum(const QByteArray &numberBlankText);

// One command line cut out of what the program wrote (up to, not including, the ";").
struct CommandLine {
    int address = -1;        // the byte before ":", -1 when the line has none
    QByteArray number;       // the 8 digits
    QByteArray text;         // the command text, checksum removed when there was one
    bool hasChecksum = false;
    bool checksumOk = false;
};
// Parses the bytes received since the previous ";". False when they hold no command line.
bool parseCommandLine(const QByteArray &segment, CommandLine *out);

// The 16-bit words of the DSP persona's data blocks: a sine with a slow ramp, signed.
QList<quint16> dspWave(int words, int phase = 0);
// A data block on the wire: ">" + 4-byte little-endian count + the words, low byte first.
QByteArray dspBlockBytes(const QList<quint16> &words);

class Simulator {
public:
    // dir: folder for the COMn links; empty makes a temporary folder removed on destruction.
    explicit Simulator(const QString &dir = {});
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    QString dir() const; // what COMPORT_DIR should be
    // Creates a pty pair and links its program side as dir()/COMn. Starts serving at once.
    bool addPort(int com, const PortOptions &opt);
    bool addPort(int com, Kind kind) { PortOptions o; o.kind = kind; return addPort(com, o); }
    // Closes the device side and removes the link: a device that vanished.
    void removePort(int com);
    QString devicePath(int com) const; // the /dev/pts/N of the program side

    // Every byte the program wrote to COMn, in order.
    QByteArray wireLog(int com) const;
    void clearWireLog(int com);
    // Waits up to ms for the wire log of COMn to contain needle; true when it does.
    bool waitForWire(int com, const QByteArray &needle, int ms) const;
    // Sends raw bytes to the program, unpaced unless pace is true.
    void inject(int com, const QByteArray &bytes, bool pace = false);

    // Counters of the 900 MHz persona.
    struct InventoryStats {
        quint64 cycles = 0;       // START_INVENTORY answers sent
        quint64 invAnswers = 0;   // INV answers sent
        quint64 stopsReceived = 0;
        bool running = false;
    };
    InventoryStats inventoryStats(int com) const;

    // DSP board: queue a data block of `words` 16-bit values (value i = f(i)) to send after
    // the next answer, or at once when sendNow.
    void dspSendBlock(int com, const QVector<quint16> &words, bool sendNow = true);
    // text starting with ":" goes out exactly as given; other text is framed as
    // ":" + the number of the last command received + " " + ("REC_ID " when recId) + text + ";".
    void dspSendAnswer(int com, const QByteArray &text, bool recId = false);

    // Sees every byte on every port: fromProgram true for what the program wrote.
    // Called on the simulator's thread.
    using WireTap = std::function<void(int com, bool fromProgram, const QByteArray &bytes)>;
    void setWireTap(WireTap tap);
    // Bytes queued for the program but not yet written to the pty.
    qint64 pendingOutput(int com) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace sim
