// libFuzzer harness for the two byte-stream framers: any input, cut into reads and released
// at any moment, must stay inside the buffers and hand over only well-formed messages.
#include "AnswerFraming.h"
#include "ServiceReceiver.h"

#include <cstdlib>
#include <cstring>

static void consoleFramer(const uint8_t *data, size_t size)
{
    static rx::ByteRing ring(4097); // small, so the full-ring path is exercised too
    static uint8_t buf[rx::kAnswerBufSize];
    int count = 0, mode = rx::Hunting;
    size_t pos = 0;
    while (pos < size) {
        const size_t chunk = 1 + data[pos] % 200;
        const size_t n = chunk < size - pos ? chunk : size - pos;
        ring.push(data + pos, n);
        pos += n;
        while (!ring.empty()) {
            if (rx::frameByte(ring.pop(), buf, count, mode)) {
                if (count < 2 || count > rx::kAnswerBufSize || buf[0] != ':')
                    abort();
                if (buf[count - 1] != ';' && count != rx::kAnswerBufSize)
                    abort();
                mode = rx::Hunting;
            }
        }
    }
    while (!ring.empty())
        ring.pop();
}

static void serviceParser(const uint8_t *data, size_t size)
{
    static TServiceReceiver rx;
    rx.resetReceiver();
    size_t pos = 0;
    while (pos < size) {
        const size_t n = std::min<size_t>(1 + data[pos] % 300, size - pos);
        pos += rx.ringFill(data + pos, n);
        for (;;) {
            const auto r = rx.parse();
            if (r == TServiceReceiver::Result::Empty)
                break;
            if (r == TServiceReceiver::Result::AnswerReady) {
                if (rx.ANSWER_BUF_COUNT < 2 || rx.ANSWER_BUF_COUNT > TServiceReceiver::kAnswerBufSize
                    || rx.REC_ANSWER_BUF[0] != ':')
                    abort();
            } else if (r == TServiceReceiver::Result::DataReady) {
                if (rx.REC_DATA_LENGHT < 0 || rx.REC_DATA_LENGHT > TServiceReceiver::kDataBufWords)
                    abort();
            }
            rx.release();
        }
        if (n == 0)
            break;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    consoleFramer(data, size);
    serviceParser(data, size);
    return 0;
}
