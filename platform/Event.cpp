#include "Event.h"

#include <chrono>

namespace plat {

Event::Event(bool manualReset, bool initialState, QString name)
    : manual_(manualReset), state_(initialState), name_(std::move(name))
{
}

void Event::set()
{
    {
        std::lock_guard<std::mutex> lk(m_);
        state_ = true;
    }
    if (manual_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::reset()
{
    std::lock_guard<std::mutex> lk(m_);
    state_ = false;
}

bool Event::wait(int ms)
{
    std::unique_lock<std::mutex> lk(m_);
    const bool ok = cv_.wait_for(lk, std::chrono::milliseconds(ms < 0 ? 0 : ms), [this] { return state_; });
    if (ok && !manual_)
        state_ = false;
    return ok;
}

bool Event::isSet() const
{
    std::lock_guard<std::mutex> lk(m_);
    return state_;
}

} // namespace plat
