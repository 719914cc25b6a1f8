#pragma once
// The service thread's receive side without the thread: the byte ring and the parser that
// cuts text answers (":" ... ";") and data blocks (">" count words) out of the stream.
#include <cstddef>
#include <cstdint>
#include <memory>

class TServiceReceiver {
public:
    static constexpr int kAnswerBufSize = 1024;
    static constexpr int kDataBufWords = 1000001;
    static constexpr int kRingSize = 400001;

    enum RecMode { Idle = 0, Text = 1, TextDone = 2, Header = 3, Data = 4, DataDone = 5 };
    enum class Result { Empty, AnswerReady, DataReady, BlockRefused };

    TServiceReceiver();
    virtual ~TServiceReceiver();
    TServiceReceiver(const TServiceReceiver &) = delete;
    TServiceReceiver &operator=(const TServiceReceiver &) = delete;

    uint8_t REC_ANSWER_BUF[kAnswerBufSize];
    std::unique_ptr<int16_t[]> REC_DATA_BUF; // kDataBufWords words
    int32_t REC_DATA_COUNT = 0;
    int32_t REC_DATA_LENGHT = 0;
    int32_t WORD_BYTE_NUM = 0;
    int32_t ANSWER_BUF_COUNT = 0;
    int32_t REC_MODE = Idle;

    // Bytes the ring can take without overwriting unread input.
    std::size_t ringFree() const;
    bool ringEmpty() const { return ringWrite_ == ringRead_; }
    // Appends up to ringFree() bytes; returns how many were taken.
    std::size_t ringFill(const uint8_t *bytes, std::size_t n);
    // Runs the byte rules until the ring is empty or a message is complete.
    // BlockRefused: a header announced more words than REC_DATA_BUF holds; the parser
    // is back to hunting and refusedWords() tells the count. Call parse() again after it.
    Result parse();
    uint32_t refusedWords() const { return refused_; }
    // The window has taken the answer or block.
    void release() { REC_MODE = Idle; }
    void resetReceiver();

private:
    std::unique_ptr<uint8_t[]> ring_;
    int32_t ringWrite_ = 0;
    int32_t ringRead_ = 0;
    uint32_t header_ = 0;  // count being accumulated, unsigned as on the wire
    uint32_t refused_ = 0;
};
