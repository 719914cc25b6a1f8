#include "AnswerFraming.h"

namespace rx {

std::size_t ByteRing::push(const uint8_t *p, std::size_t n)
{
    const std::size_t size = buf_.size();
    std::size_t room = capacity() - used();
    const std::size_t take = n < room ? n : room;
    for (std::size_t i = 0; i < take; ++i) {
        buf_[wr_] = p[i];
        wr_ = wr_ + 1 == size ? 0 : wr_ + 1;
    }
    return n - take;
}

uint8_t ByteRing::pop()
{
    const uint8_t b = buf_[rd_];
    rd_ = rd_ + 1 == buf_.size() ? 0 : rd_ + 1;
    return b;
}

} // namespace rx
