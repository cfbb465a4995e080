#pragma once

#include <any>
#include <utility>

namespace GT {

// Something that happened, with the object that raised it.
class CEvent {
public:
    explicit CEvent(std::any source) : source_(std::move(source)) {}
    virtual ~CEvent() = default;

    const std::any& getSource() const { return source_; }

private:
    std::any source_;
};

// Marker base of everything that listens to events.
class IEventListener {
public:
    virtual ~IEventListener() = default;
};

} // namespace GT
