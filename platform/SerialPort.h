#pragma once
// A serial port with the operations and semantics the tools were designed around:
// exclusive open, a definition text ("baud=115200 parity=N data=8 stop=2"),
// COMMTIMEOUTS-style reads to the millisecond, purge, and one reader beside one writer.
#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace plat {

struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

constexpr uint32_t MAXDWORD = 0xFFFFFFFFu;

// Line settings parsed from a definition text.
struct LineSettings {
    int baud = 0;
    char parity = 'N'; // N, E, O, M, S
    int dataBits = 8;
    int stopBits = 1;  // 1 or 2
};

// Parses "COM3: baud=115200 parity=N data=8 stop=2" (the port name part is optional).
// Returns false and fills *err when a key or value cannot be applied.
bool parseDefinition(const QString &text, LineSettings *out, QString *err);

// What the protocol threads need of a port; tests may feed them from memory.
class ISerialIo {
public:
    virtual ~ISerialIo() = default;
    // Reads up to n bytes under the current time-outs; returns the count (0 on time-out or error).
    virtual std::size_t read(uint8_t *buf, std::size_t n) = 0;
    // Writes n bytes under the current time-outs; returns the count written.
    virtual std::size_t write(const uint8_t *buf, std::size_t n) = 0;
    virtual void setTimeouts(const CommTimeouts &) {}
    // Ends a read in progress at once (used when a reading thread is stopped).
    virtual void cancel() {}
};

class SerialPort : public ISerialIo {
public:
    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens a port by its COMn name (through the port map) or by a device path.
    // Fails when the device is missing or already held, by this or another process.
    bool open(const QString &name, QString *err = nullptr);
    bool isOpen() const { return fd_ >= 0; }
    // Ends a read in progress at once, then closes. Call after the reading thread is joined
    // when the port is shared; cancel() alone wakes the reader.
    void close();
    void cancel() override;
    QString devicePath() const { return device_; }

    void setTimeouts(const CommTimeouts &t) override;
    CommTimeouts timeouts() const;
    bool setupComm(std::size_t inQueue, std::size_t outQueue);
    bool applyDefinition(const QString &text, QString *err = nullptr);
    bool purge();

    std::size_t read(uint8_t *buf, std::size_t n) override;
    std::size_t write(const uint8_t *buf, std::size_t n) override;

private:
    int fd_ = -1;
    int wakeFd_ = -1;
    QString device_;
    std::atomic<uint32_t> rInterval_{0}, rMult_{0}, rConst_{0}, wMult_{0}, wConst_{0};
    std::atomic<bool> cancelled_{false};
};

} // namespace plat
