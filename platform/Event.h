#pragma once
// Manual- or auto-reset event with a millisecond wait; the name is a label only,
// events never cross process boundaries.
#include <QString>
#include <condition_variable>
#include <mutex>

namespace plat {

class Event {
public:
    Event(bool manualReset, bool initialState, QString name = {});
    void set();
    void reset();
    // True when signalled within ms milliseconds; an auto-reset event is consumed.
    bool wait(int ms);
    bool isSet() const;
    QString name() const { return name_; }

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool manual_;
    bool state_;
    QString name_;
};

} // namespace plat
