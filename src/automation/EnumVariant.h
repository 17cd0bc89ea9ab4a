#pragma once
// The enumerator behind every _NewEnum (TEnumVariantCollection): a position over a collection
// that exposes a count and an item by index. It keeps its collection alive. Positions are 64-bit,
// so Skip with large counts cannot wrap.
#include "automation/Reelwright_TLB.h"

// What a collection offers its enumerators.
class IEnumerableCollection
{
public:
    virtual ~IEnumerableCollection() = default;
    virtual int enumCount() = 0;
    // The item at index (0 <= index < enumCount()).
    virtual TDispatchPtr enumItem(int index) = 0;
};

class TEnumVariantCollection : public IEnumVARIANT
{
public:
    // collection: the collection object, kept alive; items: the same object's enumeration view.
    // Without them the enumerator cannot exist: EOleError "Assertion failure (ComLib)".
    TEnumVariantCollection(TDispatchPtr collection, IEnumerableCollection* items, TComServer* server);

    // Up to celt items from the position on; fewer means the end was reached.
    QVariantList Next(int celt) override;
    // False (and the position at the end) when fewer than celt items were left.
    bool Skip(int celt) override;
    void Reset() override;
    // A new enumerator over the same collection, from the first item.
    TComPtr<IEnumVARIANT> Clone() override;

    qint64 position() const { return m_position; }

private:
    TDispatchPtr m_collection;
    IEnumerableCollection* m_items;
    qint64 m_position = 0;
};
