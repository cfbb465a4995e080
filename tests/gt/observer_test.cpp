#include "gt/observer.h"
#include "gt/safe_reference_set.h"

#include <gtest/gtest.h>

#include <any>

namespace GT {
namespace {

class CountingObserver : public IMvcObserver {
public:
    void update(const std::any& source, const std::any& event, const std::any&) override {
        ++updates;
        lastSource = std::any_cast<int*>(source);
        lastEventEmpty = !event.has_value();
    }
    int updates = 0;
    int* lastSource = nullptr;
    bool lastEventEmpty = false;
};

TEST(SafeReferenceSet, KeepsNoMemberAliveAndAddsEachOnce) {
    CSafeReferenceSet<int> set;
    auto kept = std::make_shared<int>(1);
    auto dropped = std::make_shared<int>(2);
    set.Add(kept);
    set.Add(kept);
    set.Add(dropped);
    EXPECT_EQ(set.Size(), 2u);
    std::weak_ptr<int> watch = dropped;
    dropped.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(set.Size(), 1u);
    EXPECT_EQ(*set.Alive().front(), 1);
}

TEST(MvcObservable, NotifiesEveryLiveObserverWithTheSameArguments) {
    CMvcObservableComponent observable;
    auto first = std::make_shared<CountingObserver>();
    auto second = std::make_shared<CountingObserver>();
    observable.addObserver(first);
    observable.addObserver(second);
    observable.addObserver(first);
    int source = 0;
    observable.notify(&source, std::any(), std::any());
    EXPECT_EQ(first->updates, 1);
    EXPECT_EQ(second->updates, 1);
    EXPECT_EQ(first->lastSource, &source);
    EXPECT_TRUE(first->lastEventEmpty);
    second.reset();
    observable.notify(&source, std::any(), std::any());
    EXPECT_EQ(first->updates, 2);
}

} // namespace
} // namespace GT
