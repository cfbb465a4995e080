#pragma once

#include "gt/safe_reference_set.h"

#include <any>
#include <memory>

namespace GT {

// Marker base of the classes whose changes can be observed.
class IObservable {
public:
    virtual ~IObservable() = default;
};

class IMvcObserver {
public:
    virtual ~IMvcObserver() = default;
    virtual void update(const std::any& source, const std::any& event,
                        const std::any& argument) = 0;
};

// The observer list of an observable, held by weak reference.
class CMvcObservableComponent {
public:
    CMvcObservableComponent() : observers_(std::make_shared<CSafeReferenceSet<IMvcObserver>>()) {}

    void addObserver(const std::shared_ptr<IMvcObserver>& observer) { observers_->Add(observer); }
    void removeObserver(const std::shared_ptr<IMvcObserver>& observer) {
        observers_->Remove(observer);
    }

    void notify(const std::any& source, const std::any& event, const std::any& argument) const {
        observers_->ForEach(
            [&](IMvcObserver& observer) { observer.update(source, event, argument); });
    }

    const std::shared_ptr<CSafeReferenceSet<IMvcObserver>>& observers() const { return observers_; }

private:
    std::shared_ptr<CSafeReferenceSet<IMvcObserver>> observers_;
};

} // namespace GT
