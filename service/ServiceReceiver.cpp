#include "ServiceReceiver.h"

#include <algorithm>
#include <cstring>

TServiceReceiver::TServiceReceiver()
    : REC_DATA_BUF(new int16_t[kDataBufWords]()), ring_(new uint8_t[kRingSize]())
{
    std::memset(REC_ANSWER_BUF, 0, sizeof REC_ANSWER_BUF);
}

TServiceReceiver::~TServiceReceiver() = default;

void TServiceReceiver::resetReceiver()
{
    ANSWER_BUF_COUNT = 0;
    REC_MODE = Idle;
    ringWrite_ = ringRead_ = 0;
}

std::size_t TServiceReceiver::ringFree() const
{
    const int32_t used = (ringWrite_ - ringRead_ + kRingSize) % kRingSize;
    return static_cast<std::size_t>(kRingSize - 1 - used);
}

std::size_t TServiceReceiver::ringFill(const uint8_t *bytes, std::size_t n)
{
    // Never overwrite unread bytes: the caller reads no more than there is room for,
    // so input waits in the port instead of being lost here.
    n = std::min(n, ringFree());
    for (std::size_t i = 0; i < n; ++i) {
        ring_[ringWrite_] = bytes[i];
        if (++ringWrite_ >= kRingSize)
            ringWrite_ = 0;
    }
    return n;
}

TServiceReceiver::Result TServiceReceiver::parse()
{
    while (ringRead_ != ringWrite_ && REC_MODE != TextDone && REC_MODE != DataDone) {
        const uint8_t b = ring_[ringRead_];
        ring_[ringRead_] = 0;
        if (++ringRead_ >= kRingSize)
            ringRead_ = 0;

        if (REC_MODE < Header && b < 0x10)
            REC_MODE = Idle;

        switch (REC_MODE) {
        case Idle:
            if (b == ':') {
                ANSWER_BUF_COUNT = 0;
                REC_ANSWER_BUF[0] = b;
                ANSWER_BUF_COUNT = 1;
                REC_MODE = Text;
            } else if (b == '>') {
                REC_MODE = Header;
                WORD_BYTE_NUM = 0;
                REC_DATA_LENGHT = 0;
                REC_DATA_COUNT = 0;
                header_ = 0;
            }
            break;
        case Text:
            REC_ANSWER_BUF[ANSWER_BUF_COUNT++] = b;
            if (b == ';' || ANSWER_BUF_COUNT >= kAnswerBufSize) {
                REC_MODE = TextDone;
                return Result::AnswerReady;
            }
            break;
        case Header:
            if (WORD_BYTE_NUM < 4) {
                header_ |= static_cast<uint32_t>(b) << (8 * WORD_BYTE_NUM);
                ++WORD_BYTE_NUM;
                if (WORD_BYTE_NUM == 4) {
                    if (header_ > static_cast<uint32_t>(kDataBufWords)) {
                        // Would run past REC_DATA_BUF: refuse the block, hunt again.
                        refused_ = header_;
                        REC_MODE = Idle;
                        WORD_BYTE_NUM = 0;
                        return Result::BlockRefused;
                    }
                    REC_DATA_LENGHT = static_cast<int32_t>(header_);
                    if (header_ == 0) {
                        // An empty block ends with its header; the next byte belongs to the
                        // next message and is not eaten as a word that was never sent.
                        REC_MODE = DataDone;
                        return Result::DataReady;
                    }
                }
                break;
            }
            WORD_BYTE_NUM = 0;
            REC_DATA_COUNT = 0;
            REC_MODE = Data;
            [[fallthrough]];
        case Data:
            if (WORD_BYTE_NUM == 0) {
                REC_DATA_BUF[REC_DATA_COUNT] = static_cast<int16_t>(b);
                WORD_BYTE_NUM = 1;
            } else {
                const uint16_t w = static_cast<uint16_t>(static_cast<uint16_t>(REC_DATA_BUF[REC_DATA_COUNT]) & 0xFF) |
                                   static_cast<uint16_t>(b << 8);
                REC_DATA_BUF[REC_DATA_COUNT] = static_cast<int16_t>(w);
                WORD_BYTE_NUM = 0;
                ++REC_DATA_COUNT;
            }
            if (REC_DATA_COUNT >= REC_DATA_LENGHT) {
                REC_MODE = DataDone;
                return Result::DataReady;
            }
            break;
        default:
            break;
        }
    }
    return Result::Empty;
}
