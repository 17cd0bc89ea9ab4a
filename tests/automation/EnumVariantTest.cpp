// The enumerator behind _NewEnum over a collection whose size the test controls.
#include "automation/EnumVariant.h"
#include "automation/AddInClassesIntf.h"

#include <gtest/gtest.h>

namespace {

// A collection of menu-less items: each item is a fresh enumerator object standing in for a
// document or frame object, told apart by the order it was made in.
class TFakeCollection : public IDocuments, public IEnumerableCollection
{
public:
    TFakeCollection() : IDocuments(nullptr) {}
    int count = 3;
    QList<int> fetched;

    int get_Count() override { return count; }
    TComPtr<IDocumentCache> get_Cache(int) override { return {}; }
    TDispatchPtr get__NewEnum() override { return {}; }
    int enumCount() override { return count; }
    TDispatchPtr enumItem(int index) override
    {
        fetched.append(index);
        return TDispatchPtr(this);
    }
};

TEST(AutomationEnumerator, NextSkipResetCloneFollowThePosition)
{
    auto collection = makeComObject<TFakeCollection>();
    TComPtr<IEnumVARIANT> enumerator =
        makeComObject<TEnumVariantCollection>(TDispatchPtr(collection), collection.get(), nullptr);
    // The enumerator keeps the collection alive.
    EXPECT_EQ(collection->refCount(), 2);

    struct TStep
    {
        const char* call;
        int celt;
        int answered; // items for Next, 1/0 for Skip
        qint64 position;
    };
    const TStep steps[] = {
        {"Next", 0, 0, 0},  {"Next", 2, 2, 2},          {"Next", 5, 1, 3},  {"Next", 1, 0, 3},
        {"Reset", 0, 0, 0}, {"Skip", 3, 1, 3},          {"Reset", 0, 0, 0}, {"Skip", 4, 0, 3},
        {"Reset", 0, 0, 0}, {"Skip", 2147483647, 0, 3},
    };
    auto* concrete = static_cast<TEnumVariantCollection*>(enumerator.get());
    for (const TStep& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " " + std::to_string(step.celt));
        const QString call = QString::fromLatin1(step.call);
        if (call == QLatin1String("Next"))
            EXPECT_EQ(enumerator->Next(step.celt).size(), step.answered);
        else if (call == QLatin1String("Skip"))
            EXPECT_EQ(enumerator->Skip(step.celt), step.answered == 1);
        else
            enumerator->Reset();
        EXPECT_EQ(concrete->position(), step.position);
    }
    EXPECT_EQ(collection->fetched, (QList<int>{0, 1, 2}));

    // A clone made after two Next calls starts from the first item.
    enumerator->Reset();
    enumerator->Next(1);
    enumerator->Next(1);
    TComPtr<IEnumVARIANT> clone = enumerator->Clone();
    collection->fetched.clear();
    EXPECT_EQ(clone->Next(1).size(), 1);
    EXPECT_EQ(collection->fetched, QList<int>{0});

    // The collection shrinks under the enumerator: it stops at the new end.
    collection->count = 1;
    EXPECT_TRUE(enumerator->Next(4).isEmpty());
    EXPECT_FALSE(enumerator->Skip(1));

    EXPECT_THROW(enumerator->Next(-1), EOleSysError);
    EXPECT_THROW(enumerator->Skip(-1), EOleSysError);
    EXPECT_THROW(makeComObject<TEnumVariantCollection>(TDispatchPtr(), nullptr, nullptr), EOleError);

    clone.reset();
    enumerator.reset();
    EXPECT_EQ(collection->refCount(), 1);
}

} // namespace
