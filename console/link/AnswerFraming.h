#pragma once
// Byte-level pieces of the receive side: the ring that holds unparsed input and the
// framer that cuts ":" ... ";" answers out of it. No threads, no port: tests feed bytes.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rx {

constexpr int kAnswerBufSize = 1024;
constexpr std::size_t kRingSize = 400001;

// Circular byte buffer that never overwrites unread bytes: when it is full, new bytes are
// dropped and counted, so a loss is always visible.
class ByteRing {
public:
    explicit ByteRing(std::size_t size = kRingSize) : buf_(size) {}
    bool empty() const { return rd_ == wr_; }
    std::size_t used() const { return (wr_ + buf_.size() - rd_) % buf_.size(); }
    std::size_t capacity() const { return buf_.size() - 1; }
    // Appends as many bytes as fit; returns how many were dropped.
    std::size_t push(const uint8_t *p, std::size_t n);
    uint8_t pop();

private:
    std::vector<uint8_t> buf_;
    std::size_t wr_ = 0;
    std::size_t rd_ = 0;
};

enum RecMode : int { Hunting = 0, Collecting = 1, Ready = 2 };

// One byte of the framer. Returns true when the byte completed an answer (mode becomes Ready).
// buf must hold kAnswerBufSize bytes; count and mode are the framer's state.
inline bool frameByte(uint8_t b, uint8_t *buf, int &count, int &mode)
{
    if (b < 0x10)
        mode = Hunting;
    if (mode == Hunting) {
        if (b == ':') {
            buf[0] = ':';
            count = 1;
            mode = Collecting;
        }
        return false;
    }
    if (mode == Collecting) {
        if (count < 0 || count >= kAnswerBufSize) {
            // Cannot happen through this function; stay inside the buffer whatever the caller did.
            mode = Hunting;
            return false;
        }
        buf[count++] = b;
        if (b == ';' || count >= kAnswerBufSize) {
            mode = Ready;
            return true;
        }
    }
    return false;
}

} // namespace rx
